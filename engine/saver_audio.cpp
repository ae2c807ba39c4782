#include "engine/saver_audio.h"

#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "startup/numbers.h"

#include <algorithm>
#include <climits>
#include <cmath>

saver_audio::saver_audio(engine::random_source &random, engine::tick_source &clock, QObject *parent)
    : QObject(parent), random_(random), clock_(clock)
{
    connect(&Timer1, &QTimer::timeout, this, &saver_audio::Timer1_Timer);
    connect(&MMControl1, &platform::media_device::StatusUpdate, this, &saver_audio::MMControl1_StatusUpdate);
    connect(&MMControl2, &platform::media_device::StatusUpdate, this, &saver_audio::MMControl2_StatusUpdate);
}

void saver_audio::start_timer()
{
    const std::int64_t interval = std::int64_t(bas_shellcode::audio_seconds) * 1000;
    if (interval <= 0) {
        Timer1.stop();
        return;
    }
    Timer1.start(static_cast<int>(std::min<std::int64_t>(interval, INT_MAX)));
}

void saver_audio::Timer1_Timer()
{
    using namespace bas_usercode;
    if (!bas_shellcode::text_is_nonzero(bas_shellcode::audio_on))
        return;
    if (audio_count <= 0)
        return;
    random_.mix_clock(clock_.get_ticks());
    const double r = random_.next();
    const int count = std::min<int>(audio_count, k_audio_capacity);
    // floor(r × count + 1) lies in 1..count for r in [0, 1); the clamp only guards a source that breaks that.
    const int index = std::clamp(static_cast<int>(std::floor(r * count + 1)), 1, count);
    const QString file = audio_list[static_cast<std::size_t>(index)];
    if (file.right(3).toUpper() == QLatin1String("WAV"))
        launch_wav(file);
    else
        launch_midi(file);
}

void saver_audio::open_on(platform::media_device &device, const QString &device_type, const QString &file)
{
    device.Command(QStringLiteral("Close"));
    device.Wait = false; // "Play" returns at once; the sound plays in the background
    device.Repeat = false;
    device.DeviceType = device_type;
    device.FileName = file;
    device.Command(QStringLiteral("Open"));
}

void saver_audio::launch_wav(const QString &file)
{
    if (bas_usercode::wav_playing != 0)
        return;
    open_on(MMControl2, QStringLiteral("WaveAudio"), file);
    bas_usercode::wav_playing = 1;
    MMControl2.Command(QStringLiteral("Play"));
}

void saver_audio::launch_midi(const QString &file)
{
    if (bas_usercode::midi_playing != 0)
        return;
    open_on(MMControl1, QStringLiteral("Sequencer"), file);
    bas_usercode::midi_playing = 1;
    MMControl1.Command(QStringLiteral("Play"));
}

void saver_audio::audio_off()
{
    // Only the value 1 counts here, unlike the pick, which plays for any value but 0.
    if (numbers::parse_decimal(bas_shellcode::audio_on) != 1.0)
        return;
    MMControl1.Command(QStringLiteral("Close"));
    platform::do_events();
    MMControl2.Command(QStringLiteral("Close"));
    platform::do_events();
}

void saver_audio::MMControl1_StatusUpdate()
{
    if (MMControl1.Mode() == platform::media_device::mode_stopped)
        bas_usercode::midi_playing = 0;
}

void saver_audio::MMControl2_StatusUpdate()
{
    if (MMControl2.Mode() == platform::media_device::mode_stopped)
        bas_usercode::wav_playing = 0;
}
