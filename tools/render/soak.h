#pragma once
// Checks of the scene engine's state that must hold after every frame, for the
// long runs of zentara-render --soak.
#include "engine/scene_engine.h"

#include <QRect>
#include <QString>
#include <vector>

namespace soak {

class checker
{
public:
    // Watches every rectangle written to the engine's screen from now on.
    explicit checker(engine::scene_engine &e);

    // Empty when every invariant holds after the frame just run; otherwise the
    // name of the broken invariant and what was found. `deep` also compares the
    // whole screen with the work surface (slow: every few hundred frames).
    QString check(bool deep);

private:
    engine::scene_engine &e_;
    std::vector<QRect> copies_; // rectangles written to the screen since the last check
};

} // namespace soak
