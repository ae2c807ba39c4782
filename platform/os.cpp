#include "platform/os.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <QScreen>
#include <QStandardPaths>
#include <cstdio>
#include <cstdlib>

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
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral("../" ZENTARA_DATA_SUBDIR "/pictures"));
    if (QFileInfo::exists(installed + QStringLiteral("/sprite.png")))
        return with_slash(QDir::cleanPath(installed));
    return with_slash(QStringLiteral(ZENTARA_SOURCE_ASSETS "/pictures"));
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
