#pragma once
// A media device in the manner of a multimedia control: choose the kind of
// device and the file, then give the commands "Close", "Open" and "Play".
// Wave files play on a mixer channel of their own per device, so devices never
// cut each other off; MIDI files play on the mixer's one music stream through
// FluidSynth (one MIDI file at a time in the whole process).
//
// Files are decoded on a loading thread and start playing when ready, so "Open"
// and "Play" return at once. A file that cannot be opened or played (missing,
// unreadable, not audio of the device's kind, no sound device) leaves the device
// silent and reporting stopped; nothing is ever reported to the caller.
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

namespace platform {

namespace sound_internal {
struct loaded_file;
struct pending_load;
} // namespace sound_internal

class media_device : public QObject
{
    Q_OBJECT
public:
    // Values of Mode.
    static constexpr int mode_not_open = 524;
    static constexpr int mode_stopped = 525;
    static constexpr int mode_playing = 526;

    // How often StatusUpdate comes while a file is open and playing.
    static constexpr int update_interval_ms = 250;

    explicit media_device(QObject *parent = nullptr);
    ~media_device() override;
    media_device(const media_device &) = delete;
    media_device &operator=(const media_device &) = delete;

    // "WaveAudio" or "Sequencer" (MIDI): the kind of device the next "Open" uses.
    QString DeviceType;
    // Full path of the file the next "Open" uses.
    QString FileName;
    // True: "Open" has decoded the file before it returns, and "Play" returns
    // when the sound has ended. False (usual): both return at once.
    bool Wait = false;
    // True: "Play" starts the file again each time it ends, without a gap, until
    // "Close" (the looping system sound).
    bool Repeat = false;

    // "Close": stops and releases the open file (harmless when none is open).
    // "Open": opens FileName on a device of kind DeviceType.
    // "Play": starts playback. Other commands are ignored.
    void Command(const QString &command);

    // mode_not_open before the first "Open" and after "Close"; mode_playing from
    // "Play" until the sound ends; mode_stopped after an "Open", after the sound
    // has ended, and once an "Open" has failed.
    int Mode() const { return mode_; }

signals:
    // On the user-interface thread: every update_interval_ms while a file is open
    // and playing (or being prepared), and once when it has ended or failed.
    void StatusUpdate();

private:
    using loaded_file = sound_internal::loaded_file;
    using pending_load = sound_internal::pending_load;

    void open_file();
    void play_file();
    void close_file();
    void load_arrived(const std::shared_ptr<pending_load> &load);
    void take_loaded(std::unique_ptr<loaded_file> file);
    void start_playback();
    bool sounding() const;
    void check_playback();
    void stop_with_notice();
    void status_tick();

    // A device is known to the sound system's callbacks by number only, so that
    // a notice that arrives after the device has gone finds nothing.
    std::uint64_t id_;
    int channel_;
    int mode_ = mode_not_open;
    bool play_requested_ = false;
    bool playing_ = false;
    std::shared_ptr<pending_load> pending_;
    std::unique_ptr<loaded_file> file_;
    QTimer status_timer_;

    friend void playback_may_have_ended();
};

// Every device checks whether its sound is still playing (after an end notice
// of the mixer). User-interface thread only.
void playback_may_have_ended();

} // namespace platform
