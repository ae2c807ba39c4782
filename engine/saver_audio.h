#pragma once
// The saver's sound: every audio_seconds one file of the user's audio list,
// picked at random, wave files on one device and MIDI files on the other, so one
// sound of each kind can play at a time. A pick whose kind still plays is
// dropped, not queued.
#include "engine/random.h"
#include "platform/media_device.h"

#include <QObject>
#include <QString>
#include <QTimer>

class saver_audio : public QObject
{
    Q_OBJECT
public:
    // The picks draw from `random` after mixing in the time of `clock`.
    saver_audio(engine::random_source &random, engine::tick_source &clock, QObject *parent = nullptr);

    QTimer Timer1;
    platform::media_device MMControl1; // MIDI files
    platform::media_device MMControl2; // wave files

    // Timer1 at audio_seconds × 1000 ms, running: the first pick comes one
    // interval from now. An interval that is not positive leaves it off.
    void start_timer();

    void Timer1_Timer();
    void launch_wav(const QString &file);
    void launch_midi(const QString &file);
    // Silences both devices, when audio_on is 1.
    void audio_off();
    void MMControl1_StatusUpdate();
    void MMControl2_StatusUpdate();

private:
    static void open_on(platform::media_device &device, const QString &device_type, const QString &file);

    engine::random_source &random_;
    engine::tick_source &clock_;
};
