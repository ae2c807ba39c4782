#include "platform/media_device.h"

#include "platform/os.h"
#include "platform/sound_file.h"
#include "platform/sound_system.h"

#include <QFile>
#include <QtEndian>
#include <SDL.h>
#include <SDL_mixer.h>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <set>
#include <unordered_map>

namespace platform {

namespace {

// Book-keeping of the user-interface thread: the living devices by number, the
// mixer channels they hold, and which device the one music stream belongs to.
std::unordered_map<std::uint64_t, media_device *> g_devices;
std::uint64_t g_next_id = 1;
std::set<int> g_channels_taken;
const media_device *g_music_owner = nullptr;

int take_channel()
{
    int channel = 0;
    while (g_channels_taken.count(channel) != 0)
        ++channel;
    g_channels_taken.insert(channel);
    return channel;
}

// Commands and device kinds are read regardless of case.
bool same_word(const QString &text, const char *name) { return text.compare(QLatin1String(name), Qt::CaseInsensitive) == 0; }

// The wave device plays RIFF wave files only (the mixer would also render other
// formats, MIDI included, into memory in one go).
bool is_wave_file(const QByteArray &bytes) { return bytes.size() >= 12 && bytes.startsWith("RIFF") && bytes.mid(8, 4) == "WAVE"; }

// A wave file whose sound fits the memory bound once decoded into the mixer's format.
bool wave_fits(const QByteArray &bytes)
{
    int rate = 0;
    Uint16 format = 0;
    int channels = 0;
    if (Mix_QuerySpec(&rate, &format, &channels) == 0)
        return false;
    const qint64 decoded = decoded_wave_bytes(bytes, rate, channels, SDL_AUDIO_BITSIZE(format) / 8);
    return decoded >= 0 && decoded <= k_max_decoded_wave_bytes;
}

// A standard MIDI file as it is, or the one inside a RIFF MIDI (.rmi) file; empty
// for anything else.
QByteArray standard_midi_bytes(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(12);
    const bool smf = head.startsWith("MThd");
    const bool rmi = head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "RMID";
    if (!smf && !rmi)
        return {};
    if (smf)
        return bytes;
    qsizetype at = 12;
    while (at + 8 <= bytes.size()) {
        const qsizetype size = qFromLittleEndian<quint32>(bytes.constData() + at + 4);
        if (std::memcmp(bytes.constData() + at, "data", 4) == 0)
            return bytes.mid(at + 8, size);
        at += 8 + size + (size & 1);
    }
    return {};
}

} // namespace

namespace sound_internal {

// A decoded file, ready to play.
struct loaded_file
{
    Mix_Chunk *chunk = nullptr; // wave files
    QByteArray midi;            // the bytes the music reads from
    Mix_Music *music = nullptr; // MIDI files

    ~loaded_file()
    {
        if (sound_internal::shut_down())
            return; // the output is closed: the process is ending
        if (music)
            Mix_FreeMusic(music);
        if (chunk)
            Mix_FreeChunk(chunk);
    }
};

// A file being decoded on the loading thread. The device may close (or go)
// before the result is in: whoever comes second of the two frees it.
struct pending_load
{
    std::mutex m;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    std::unique_ptr<loaded_file> result;
};

} // namespace sound_internal

namespace {

using sound_internal::loaded_file;
using loaded_ptr = std::unique_ptr<loaded_file>;

loaded_ptr decode(const QString &device_type, const QString &path)
{
    // The mixer decodes into the open output's format.
    const sound_internal::output_hold hold;
    if (path.isEmpty() || !sound_internal::open_output())
        return nullptr;
    const bool wave = same_word(device_type, "WaveAudio");
    if (!wave && !same_word(device_type, "Sequencer"))
        return nullptr;
    const std::optional<QByteArray> bytes = read_sound_file(file_name_bytes(path));
    if (!bytes)
        return nullptr;
    auto out = std::make_unique<loaded_file>();
    if (wave) {
        if (!is_wave_file(*bytes) || !wave_fits(*bytes))
            return nullptr;
        out->chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(bytes->constData(), static_cast<int>(bytes->size())), 1);
        return out->chunk ? std::move(out) : nullptr;
    }
    out->midi = standard_midi_bytes(*bytes);
    if (out->midi.isEmpty())
        return nullptr;
    SDL_RWops *source = SDL_RWFromConstMem(out->midi.constData(), static_cast<int>(out->midi.size()));
    out->music = Mix_LoadMUSType_RW(source, MUS_MID, 1);
    return out->music ? std::move(out) : nullptr;
}

// Freeing a MIDI file frees its synthesizer and soundfont: not on the user-interface thread.
void free_in_background(loaded_ptr file)
{
    if (!file)
        return;
    sound_internal::run_in_background([file = std::shared_ptr<loaded_file>(std::move(file))]() mutable {
        const sound_internal::output_hold hold;
        file.reset();
    });
}

} // namespace

void playback_may_have_ended()
{
    for (const auto &[id, device] : g_devices)
        device->check_playback();
    sound_internal::close_output_if_idle();
}

media_device::media_device(QObject *parent) : QObject(parent), id_(g_next_id++), channel_(take_channel())
{
    g_devices.emplace(id_, this);
    status_timer_.setInterval(update_interval_ms);
    connect(&status_timer_, &QTimer::timeout, this, &media_device::status_tick);
}

media_device::~media_device()
{
    close_file();
    g_devices.erase(id_);
    g_channels_taken.erase(channel_);
}

void media_device::Command(const QString &command)
{
    if (same_word(command, "Close"))
        close_file();
    else if (same_word(command, "Open"))
        open_file();
    else if (same_word(command, "Play"))
        play_file();
}

void media_device::close_file()
{
    if (pending_) {
        loaded_ptr late;
        {
            std::lock_guard lock(pending_->m);
            pending_->abandoned = true;
            late = std::move(pending_->result);
        }
        free_in_background(std::move(late));
        pending_.reset();
    }
    if (file_ && playing_ && !sound_internal::shut_down() && sound_output_open()) {
        if (file_->chunk)
            Mix_HaltChannel(channel_);
        else if (g_music_owner == this)
            Mix_HaltMusic();
    }
    if (g_music_owner == this)
        g_music_owner = nullptr;
    free_in_background(std::move(file_));
    playing_ = false;
    play_requested_ = false;
    status_timer_.stop();
    mode_ = mode_not_open;
    sound_internal::close_output_if_idle();
}

void media_device::open_file()
{
    close_file(); // a device holds one file at a time
    mode_ = mode_stopped;
    const QString device_type = DeviceType;
    const QString path = FileName;
    if (Wait) {
        take_loaded(decode(device_type, path));
        return;
    }
    auto load = std::make_shared<pending_load>();
    pending_ = load;
    status_timer_.start();
    const std::uint64_t id = id_;
    sound_internal::run_in_background([load, device_type, path, id] {
        loaded_ptr file = decode(device_type, path);
        {
            std::lock_guard lock(load->m);
            if (load->abandoned)
                return; // closed meanwhile: the file is freed here, on this thread
            load->result = std::move(file);
            load->done = true;
        }
        load->finished.notify_all();
        sound_internal::run_on_gui_thread([load, id] {
            const auto it = g_devices.find(id);
            if (it != g_devices.end())
                it->second->load_arrived(load);
        });
    });
}

void media_device::load_arrived(const std::shared_ptr<pending_load> &load)
{
    if (load != pending_)
        return; // a load of a file closed since, or already taken by a waiting "Play"
    pending_.reset();
    loaded_ptr file;
    {
        std::lock_guard lock(load->m);
        file = std::move(load->result);
    }
    take_loaded(std::move(file));
}

void media_device::take_loaded(std::unique_ptr<loaded_file> file)
{
    if (!file) {
        play_requested_ = false;
        stop_with_notice();
        return;
    }
    file_ = std::move(file);
    if (play_requested_)
        start_playback();
    else
        status_timer_.stop();
}

void media_device::play_file()
{
    if (mode_ == mode_not_open)
        return;
    if (pending_ && Wait) {
        const std::shared_ptr<pending_load> load = std::move(pending_);
        loaded_ptr file;
        {
            std::unique_lock lock(load->m);
            load->finished.wait(lock, [&] { return load->done; });
            file = std::move(load->result);
        }
        if (!file) {
            stop_with_notice();
            return;
        }
        file_ = std::move(file);
    }
    if (pending_) {
        // Still decoding: playback starts as soon as the file is ready.
        play_requested_ = true;
        mode_ = mode_playing;
        status_timer_.start();
        return;
    }
    if (!file_) {
        stop_with_notice(); // the open failed: nothing to play
        return;
    }
    start_playback();
    if (Wait && !Repeat && playing_) {
        while (sounding())
            SDL_Delay(5);
        playing_ = false;
        stop_with_notice();
    }
}

void media_device::start_playback()
{
    play_requested_ = false;
    if (playing_ && sounding())
        return; // "Play" while playing goes on playing
    const int loops = Repeat ? -1 : 0;
    bool started = false;
    if (!sound_internal::open_output()) {
        // closed while idle and cannot open again: stays silent
    } else if (file_->chunk) {
        if (Mix_AllocateChannels(-1) <= channel_)
            Mix_AllocateChannels(channel_ + 1);
        started = Mix_PlayChannel(channel_, file_->chunk, loops) == channel_;
    } else if (Mix_PlayMusic(file_->music, loops) == 0) {
        g_music_owner = this; // a music stream another device had is now this one's
        started = true;
    }
    if (!started) {
        playing_ = false;
        stop_with_notice();
        return;
    }
    playing_ = true;
    mode_ = mode_playing;
    if (!status_timer_.isActive())
        status_timer_.start();
}

bool media_device::sounding() const
{
    if (!playing_ || !file_ || sound_internal::shut_down() || !sound_output_open())
        return false;
    if (file_->chunk)
        return Mix_Playing(channel_) != 0 && Mix_GetChunk(channel_) == file_->chunk;
    return g_music_owner == this && Mix_PlayingMusic() != 0;
}

void media_device::check_playback()
{
    if (!playing_ || sounding())
        return;
    playing_ = false;
    if (g_music_owner == this)
        g_music_owner = nullptr;
    stop_with_notice();
}

void media_device::stop_with_notice()
{
    mode_ = mode_stopped;
    status_timer_.stop();
    // Always from the event loop, never from inside a command, as the control does.
    QMetaObject::invokeMethod(this, &media_device::StatusUpdate, Qt::QueuedConnection);
    sound_internal::close_output_if_idle();
}

void media_device::status_tick()
{
    check_playback();
    if (playing_ || pending_)
        emit StatusUpdate();
}

} // namespace platform
