#include "platform/sound_system.h"

#include "platform/media_device.h"
#include "platform/os.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <QStringList>
#include <QThread>
#include <QThreadPool>
#include <SDL.h>
#include <SDL_mixer.h>
#include <atomic>
#include <mutex>

namespace platform {

namespace {

// Where distributions put a General MIDI soundfont; Debian's default-GM links
// follow the system's choice (TimGM6mb when nothing else is installed).
const char *const k_soundfonts[] = {
    "/usr/share/sounds/sf3/default-GM.sf3",
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/TimGM6mb.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/sounds/sf3/MuseScore_General.sf3",
    "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
    "/usr/share/soundfonts/freepats-general-midi.sf2",
};

// How long the end of the program waits for the loading threads.
constexpr int k_end_wait_ms = 1000;

std::once_flag g_open_once;
std::atomic<bool> g_available{false};
std::atomic<bool> g_shut_down{false};
std::atomic<bool> g_end_notice_posted{false};

// Guards the three below; never held while calling into the mixer.
std::mutex g_mutex;
QObject *g_gui_anchor = nullptr; // lives on the user-interface thread and receives posted calls
QThreadPool *g_pool = nullptr;
bool g_accepting = true;

media_device *g_player = nullptr; // the system sound player; user-interface thread

// An idle output closes after this long: the next sound of a saver's pick
// (close, open, play) or of a list editor's play button reuses it.
constexpr int k_idle_close_ms = 3000;
QPointer<QTimer> g_idle_timer; // user-interface thread

// Opening and closing of the output device, between the loading threads and
// the user-interface thread. Never held while waiting for anything else.
std::mutex g_output_mutex;
std::atomic<bool> g_output_open{false};
int g_output_holds = 0;

void close_sound();
bool open_output_locked();

// With g_mutex held.
bool anchor_ready()
{
    if (g_gui_anchor)
        return true;
    QCoreApplication *app = QCoreApplication::instance();
    if (!app)
        return false;
    g_gui_anchor = new QObject;
    g_gui_anchor->moveToThread(app->thread());
    // The output must close while the application still exists.
    qAddPostRoutine(close_sound);
    return true;
}

void post_end_notice()
{
    // One notice in flight is enough: every device looks at its own sound.
    if (g_end_notice_posted.exchange(true))
        return;
    if (!sound_internal::run_on_gui_thread([] {
            g_end_notice_posted = false;
            playback_may_have_ended();
        }))
        g_end_notice_posted = false;
}

// On SDL's audio thread (or inside a halt): only post.
void SDLCALL on_channel_finished(int) { post_end_notice(); }
void SDLCALL on_music_finished() { post_end_notice(); }

void open_sound()
{
    if (g_shut_down)
        return;
    {
        std::lock_guard lock(g_mutex);
        if (!anchor_ready())
            return;
    }
    // SDL would otherwise take over SIGINT and SIGTERM, and the program would no longer end on them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, "Zentara Screen Saver");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return;
    // Nobody reads SDL's event queue.
    SDL_EventState(SDL_AUDIODEVICEADDED, SDL_IGNORE);
    SDL_EventState(SDL_AUDIODEVICEREMOVED, SDL_IGNORE);
    Mix_Init(MIX_INIT_MID); // without it wave files still play
    // Only the soundfont's name: FluidSynth reads the file when a MIDI file is loaded.
    const QString soundfont = soundfont_path();
    if (!soundfont.isEmpty())
        Mix_SetSoundFonts(QFile::encodeName(soundfont).constData());
    {
        std::lock_guard lock(g_output_mutex);
        if (!open_output_locked()) {
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return;
        }
    }
    g_available = true;
}

// The idle timer's end. A sound that plays keeps the output (its end notice
// starts the timer again); a load in progress only puts the closing off.
void close_output_now()
{
    if (g_shut_down || !g_output_open)
        return;
    std::lock_guard lock(g_output_mutex);
    if (!g_output_open || Mix_Playing(-1) != 0 || Mix_PlayingMusic() != 0)
        return;
    if (g_output_holds != 0) {
        if (g_idle_timer)
            g_idle_timer->start();
        return;
    }
    g_output_open = false;
    Mix_CloseAudio();
}

// With g_output_mutex held.
bool open_output_locked()
{
    if (g_output_open)
        return true;
    if (Mix_OpenAudio(MIX_DEFAULT_FREQUENCY, MIX_DEFAULT_FORMAT, 2, 2048) != 0)
        return false;
    Mix_AllocateChannels(16);
    Mix_ChannelFinished(on_channel_finished);
    Mix_HookMusicFinished(on_music_finished);
    g_output_open = true;
    return true;
}

void close_sound()
{
    {
        std::lock_guard lock(g_mutex);
        g_accepting = false;
    }
    delete g_player;
    g_player = nullptr;
    QThreadPool *pool = nullptr;
    {
        std::lock_guard lock(g_mutex);
        std::swap(pool, g_pool);
    }
    // A loader held up by a slow file must not hold up the end of the program:
    // wait a moment, then leave it to the process's end. The mixer it may be
    // inside then stays open too.
    bool loader_left = false;
    if (pool) {
        if (pool->waitForDone(k_end_wait_ms))
            delete pool;
        else
            loader_left = true;
    }
    g_shut_down = true;
    if (g_available && !loader_left) {
        g_available = false;
        if (g_output_open) {
            g_output_open = false;
            Mix_HaltChannel(-1);
            Mix_HaltMusic();
            Mix_CloseAudio();
        }
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    std::lock_guard lock(g_mutex);
    delete g_gui_anchor;
    g_gui_anchor = nullptr;
}

} // namespace

bool sound_available()
{
    std::call_once(g_open_once, open_sound);
    return g_available;
}

bool sound_output_open() { return g_output_open; }

QString soundfont_path()
{
    static const QString path = [] {
        // A soundfont the user names for SDL comes first.
        QStringList choices = qEnvironmentVariable("SDL_SOUNDFONTS").split(QLatin1Char(':'), Qt::SkipEmptyParts);
        for (const char *candidate : k_soundfonts)
            choices << QString::fromLatin1(candidate);
        for (const QString &choice : choices)
            if (QFileInfo(choice).isFile())
                return choice;
        return QString();
    }();
    return path;
}

void play_sound(const QString &name, std::uint32_t flags)
{
    if (g_shut_down)
        return;
    if (!g_player)
        g_player = new media_device;
    g_player->Command(QStringLiteral("Close"));
    // "1" and every other name that is no file: the old sound has stopped, nothing new plays.
    if (!is_regular_file(name))
        return;
    g_player->DeviceType = QStringLiteral("WaveAudio");
    g_player->FileName = name;
    g_player->Repeat = (flags & snd_async) != 0 && (flags & snd_loop) != 0;
    g_player->Wait = (flags & snd_async) == 0;
    g_player->Command(QStringLiteral("Open"));
    g_player->Command(QStringLiteral("Play"));
}

namespace sound_internal {

void run_in_background(std::function<void()> job)
{
    {
        std::lock_guard lock(g_mutex);
        if (g_accepting && anchor_ready()) {
            if (!g_pool) {
                g_pool = new QThreadPool;
                g_pool->setMaxThreadCount(2);
            }
            g_pool->start(std::move(job));
            return;
        }
    }
    job(); // no threads any more (or no application): do it here
}

bool run_on_gui_thread(std::function<void()> fn)
{
    std::lock_guard lock(g_mutex);
    if (!g_accepting || !g_gui_anchor)
        return false;
    QMetaObject::invokeMethod(g_gui_anchor, std::move(fn), Qt::QueuedConnection);
    return true;
}

bool shut_down() { return g_shut_down; }

output_hold::output_hold()
{
    std::lock_guard lock(g_output_mutex);
    ++g_output_holds;
}

output_hold::~output_hold()
{
    std::lock_guard lock(g_output_mutex);
    --g_output_holds;
}

bool open_output()
{
    if (!sound_available())
        return false;
    if (g_output_open)
        return true;
    std::lock_guard lock(g_output_mutex);
    return !g_shut_down && open_output_locked();
}

void close_output_if_idle()
{
    if (g_shut_down || !g_output_open)
        return;
    if (!g_idle_timer) {
        std::lock_guard lock(g_mutex);
        if (!g_gui_anchor)
            return;
        g_idle_timer = new QTimer(g_gui_anchor);
        g_idle_timer->setSingleShot(true);
        g_idle_timer->setInterval(k_idle_close_ms);
        QObject::connect(g_idle_timer, &QTimer::timeout, [] { close_output_now(); });
    }
    g_idle_timer->start(); // counts from the latest moment the output fell idle
}

} // namespace sound_internal

} // namespace platform
