#include "config/handler_guard.h"

#include "platform/os.h"

#include <QCloseEvent>
#include <QWidget>

handler_guard::handler_guard(QWidget *window) : QObject(window), window_(window)
{
    window_->installEventFilter(this);
}

template <typename F> bool handler_guard::run_nested(F &&nested_loop)
{
    const QPointer<QWidget> alive(window_);
    ++depth_;
    nested_loop();
    // The guard is the window's child: when the window has gone, so has the guard.
    if (!alive)
        return false;
    if (--depth_ == 0) {
        // After the handler, from the loop that called it.
        if (close_waiting_) {
            close_waiting_ = false;
            QMetaObject::invokeMethod(window_, &QWidget::close, Qt::QueuedConnection);
        }
        if (delete_waiting_) {
            delete_waiting_ = false;
            window_->deleteLater();
        }
    }
    return true;
}

bool handler_guard::message_box(const QString &text, const QString &title)
{
    return run_nested([&] { platform::message_box(text, title, platform::message_icon::none); });
}

bool handler_guard::do_events()
{
    return run_nested([] { platform::do_events(); });
}

bool handler_guard::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == window_ && depth_ > 0) {
        if (e->type() == QEvent::Close) {
            e->ignore();
            close_waiting_ = true;
            return true;
        }
        if (e->type() == QEvent::DeferredDelete) {
            delete_waiting_ = true;
            return true;
        }
    }
    return QObject::eventFilter(watched, e);
}
