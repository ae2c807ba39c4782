#include "platform/os.h"

#include "platform/screen_output.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <QScreen>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {
std::function<void(int)> g_end_handler;
std::function<void(const QString &, const QString &, message_icon)> g_message_handler;

QString with_slash(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString marker_path(const QString &caption)
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QString name = caption;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(dir).filePath(QStringLiteral("Krelix Zentara - %1.lock").arg(name));
}
} // namespace

std::int32_t get_ticks()
{
    static QElapsedTimer clock = [] { QElapsedTimer t; t.start(); return t; }();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(clock.elapsed()));
}

void do_events()
{
    screen_output::flush_all(); // what was drawn is shown before events run
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void set_end_handler(std::function<void(int)> handler) { g_end_handler = std::move(handler); }

void end_at_once(int code)
{
    if (g_end_handler)
        g_end_handler(code);
    std::fflush(nullptr);
    std::_Exit(code);
}

void set_message_box_handler(std::function<void(const QString &, const QString &, message_icon)> handler)
{
    g_message_handler = std::move(handler);
}

namespace {
// Closes a box when its owner window hides or goes.
class box_closer : public QObject
{
public:
    box_closer(QMessageBox *box, QWidget *owner) : QObject(box), box_(box)
    {
        owner->installEventFilter(this);
        connect(owner, &QObject::destroyed, this, [this] { close_box(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::Hide)
            close_box();
        return QObject::eventFilter(watched, e);
    }

private:
    void close_box()
    {
        if (box_)
            box_->done(QMessageBox::Ok);
    }
    QPointer<QMessageBox> box_;
};
} // namespace

void message_box(const QString &text, const QString &title, message_icon icon, QWidget *owner)
{
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (g_message_handler) {
        g_message_handler(shown, title, icon);
        return;
    }
    QMessageBox::Icon qicon = QMessageBox::NoIcon;
    switch (icon) {
    case message_icon::none: break;
    case message_icon::exclamation: qicon = QMessageBox::Warning; break;
    case message_icon::stop: qicon = QMessageBox::Critical; break;
    case message_icon::information: qicon = QMessageBox::Information; break;
    }
    // On the heap: whoever deletes the owner deletes its box too, and exec()
    // survives that; a box on this stack would be deleted twice.
    QPointer<QMessageBox> box = new QMessageBox(qicon, title, shown, QMessageBox::Ok, owner);
    if (owner) {
        // A box under a topmost owner (the password prompt) would be hidden behind it.
        if (owner->window()->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
            box->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        new box_closer(box, owner);
    }
    if (!owner || owner->isVisible()) // a hidden owner has closed already: nothing to answer
        box->exec();
    delete box.data();
}

QString program_folder()
{
    return with_slash(QCoreApplication::applicationDirPath());
}

QString user_data_folder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    const QString dir = QDir(base).filePath(QStringLiteral("Krelix Zentara"));
    QDir().mkpath(dir);
    return with_slash(dir);
}

QString pictures_folder()
{
    // bin/zentara, or a program one folder deeper (libexec/xscreensaver/zentara-hack).
    for (const char *up : {"../", "../../"}) {
        const QString installed = QDir(QCoreApplication::applicationDirPath())
                                      .filePath(QLatin1String(up) + QStringLiteral(ZENTARA_DATA_SUBDIR "/pictures"));
        if (QFileInfo::exists(installed + QStringLiteral("/sprite.png")))
            return with_slash(QDir::cleanPath(installed));
    }
    return with_slash(QStringLiteral(ZENTARA_SOURCE_ASSETS "/pictures"));
}

QString text_from_bytes(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        const unsigned lead = p[i];
        if (lead < 0x80) {
            out += QChar(char16_t(lead));
            ++i;
            continue;
        }
        // Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
        int length = 0;
        char32_t code = 0, lowest = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F, lowest = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3, code = lead & 0x0F, lowest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07, lowest = 0x10000;
        }
        bool valid = length > 0 && i + length <= n;
        for (int k = 1; valid && k < length; ++k) {
            const unsigned next = p[i + k];
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        valid = valid && code >= lowest && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
        if (!valid) {
            out += QChar(char16_t(0xDC00 + lead));
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
        i += length;
    }
    return out;
}

std::optional<QByteArray> bytes_from_text(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = text[i].unicode();
        char32_t code = u;
        if (QChar::isHighSurrogate(u) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(u, text[i + 1].unicode());
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += char(u - 0xDC00);
            continue;
        } else if (QChar::isSurrogate(u)) {
            return std::nullopt;
        }
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }
    return out;
}

QByteArray file_name_bytes(const QString &path)
{
#ifdef Q_OS_UNIX
    if (auto bytes = bytes_from_text(path))
        return *bytes;
#endif
    return QFile::encodeName(path);
}

bool is_regular_file(const QString &path)
{
#ifdef Q_OS_UNIX
    struct ::stat st {};
    return ::stat(file_name_bytes(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
#else
    return QFileInfo(path).isFile();
#endif
}

bool open_for_reading(QFile &file, const QString &path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(file_name_bytes(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
#else
    file.setFileName(path);
    return file.open(QIODevice::ReadOnly);
#endif
}

std::optional<QByteArray> read_small_file(const QString &path, qint64 limit)
{
#ifdef Q_OS_UNIX
    // Non-blocking, so that opening a FIFO nobody writes to returns at once.
    const int fd = ::open(file_name_bytes(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct ::stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > limit) {
        ::close(fd);
        return std::nullopt;
    }
    // The file may grow after the look at its size: read one byte past the limit at most.
    QByteArray bytes(static_cast<qsizetype>(st.st_size) + 1, Qt::Uninitialized);
    qint64 total = 0;
    for (;;) {
        if (total == bytes.size()) {
            if (total > limit)
                break;
            bytes.resize(static_cast<qsizetype>(std::min<qint64>(limit + 1, total * 2 + 4096)));
        }
        const ssize_t got = ::read(fd, bytes.data() + total, static_cast<size_t>(bytes.size() - total));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0)
            break;
        total += got;
    }
    ::close(fd);
    if (total > limit)
        return std::nullopt;
    bytes.truncate(static_cast<qsizetype>(total));
    return bytes;
#else
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > limit)
        return std::nullopt;
    QByteArray bytes = file.read(limit + 1);
    if (bytes.size() > limit)
        return std::nullopt;
    return bytes;
#endif
}

static double logical_dpi(bool horizontal)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return 96.0;
    const double dpi = horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
    return dpi > 0 ? dpi : 96.0;
}

double twips_per_pixel_x() { return 1440.0 / logical_dpi(true); }
double twips_per_pixel_y() { return 1440.0 / logical_dpi(false); }

struct instance_marker::impl
{
    explicit impl(const QString &path) : lock(path) {}
    QLockFile lock;
    bool held = false;
};

instance_marker::instance_marker(const QString &caption) : d(new impl(marker_path(caption)))
{
    d->lock.setStaleLockTime(0);
    d->held = d->lock.tryLock(0);
}

instance_marker::~instance_marker()
{
    if (d->held)
        d->lock.unlock();
    delete d;
}

bool instance_marker::held() const { return d->held; }

bool marker_absent(const QString &caption)
{
    QLockFile probe(marker_path(caption));
    probe.setStaleLockTime(0); // only a live owner process keeps the marker
    if (!probe.tryLock(0))
        return false;
    probe.unlock();
    return true;
}

} // namespace platform
