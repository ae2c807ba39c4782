#pragma once
// The recipes behind each shipped sound. Every function renders at kRate and
// returns raw samples; levels and fades are set by generate_sounds.
#include "sounds_dsp.h"

#include <QString>

namespace assetgen::snd {

// The nine sounds of the saver's default audio list, zara1 .. zara9.
Buffer deep_space_drone();
Buffer radio_chatter();
Buffer launch_rumble();
Buffer sonar_ping();
Buffer pad_chord();
Buffer telemetry_burst();
Buffer solar_wind();
Buffer pulsar();
Buffer crystal_arpeggio();

// The configuration menu's music: exactly four bars, meant to repeat
// end-to-start without a seam.
Buffer title_loop();

// The General MIDI theme, written straight to `path`.
void write_theme_midi(const QString &path);

} // namespace assetgen::snd
