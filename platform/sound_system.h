#pragma once
// The process's one sound output: SDL2_mixer on SDL's audio subsystem alone,
// opened once, on first use. Without a usable output device (a headless machine,
// a device held by another program) every player simply stays silent.
#include <QString>
#include <cstdint>
#include <functional>

namespace platform {

// Opens the output on the first call (from any thread; this may take a moment,
// so the players call it on their loading thread). True when sound can be heard.
bool sound_available();

// True while the output device is open. It is closed a few seconds after the
// last sound ended (an open device wakes the program for every buffer it
// plays, silence too) and opened again when a sound is loaded or starts.
bool sound_output_open();

// The General MIDI soundfont that MIDI files play through: SDL's own choice when
// that file exists, otherwise the first of the usual system soundfonts found.
// Empty when there is none (MIDI files then stay silent).
QString soundfont_path();

// Flags of the system sound player.
constexpr std::uint32_t snd_async = 1; // return at once; the sound plays in the background
constexpr std::uint32_t snd_loop = 8;  // with snd_async: repeat until the next call

// The system sound player: one sound at a time, and every call first stops the
// one before. A name that is no file (such as "1") plays nothing, so
// play_sound("1", snd_async) stops a looping sound at once. Without snd_async the
// call returns when the sound has ended. User-interface thread only.
void play_sound(const QString &name, std::uint32_t flags);

// For the players of this library.
namespace sound_internal {
// Runs `job` on the sound loading threads (decoding a MIDI file loads the whole
// soundfont, which must never hold up a frame).
void run_in_background(std::function<void()> job);
// Runs `fn` on the user-interface thread at its next pass over the events. Safe
// from any thread, SDL's audio thread included; false (and `fn` dropped) once
// sound has shut down with the application.
bool run_on_gui_thread(std::function<void()> fn);
// True after the output has been closed at the end of the application.
bool shut_down();

// Keeps the output from being closed while held (decoding or freeing a sound
// uses the mixer from a loading thread); it opens nothing.
class output_hold
{
public:
    output_hold();
    ~output_hold();
    output_hold(const output_hold &) = delete;
    output_hold &operator=(const output_hold &) = delete;
};
// Opens the output again if it was closed while idle; false when it cannot.
bool open_output();
// Closes the output a few seconds from now if by then no sound plays, none is
// being loaded and nothing holds it. User-interface thread.
void close_output_if_idle();
} // namespace sound_internal

} // namespace platform
