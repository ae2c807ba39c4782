#pragma once
// Holds the keyboard and the pointer for a password-protected saver on an X
// server, so that no other program receives input until the saver ends: no task
// switch, no keys typed into a window behind it. The hold takes in every window
// of this program, so the prompt and its message box still get their input.
// Without an X server (Wayland, offscreen) nothing can be held.
#include <QObject>
#include <QTimer>
#include <functional>

class QWidget;

namespace platform {

class input_hold : public QObject
{
    Q_OBJECT
public:
    // Lives as long as `saver`, its parent. `still_wanted` is asked on every
    // renewal; when it says no, the hold is let go.
    input_hold(QWidget *saver, std::function<bool()> still_wanted);
    ~input_hold() override;

    // true: hold while a password is required (asked on every renewal); false: let go.
    void set_held(bool held);
    // Whether the keyboard and the pointer are held now.
    bool holding() const { return keyboard_held_ && pointer_held_; }

private:
    void renew();
    void release();

    QWidget *saver_;
    std::function<bool()> still_wanted_;
    QTimer renewal_;
    bool wanted_ = false;
    bool keyboard_held_ = false;
    bool pointer_held_ = false;
};

} // namespace platform
