#pragma once
// Driving modal windows from a test: a timer looks for the window that a handler
// opened (the real message box, a dialog) and acts on it once it is up.
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <functional>

namespace dialog_helpers {

// What a message box showed.
struct shown_box
{
    bool seen = false;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

// Calls `act` with the first modal window of type T that comes up within the
// time allowed (polling), then stops. The watch ends with `context` at the latest.
template <typename T> void when_modal(QObject *context, std::function<void(T *)> act, int within_ms = 20000)
{
    auto *timer = new QTimer(context);
    QElapsedTimer clock;
    clock.start();
    QObject::connect(timer, &QTimer::timeout, timer, [timer, clock, act, within_ms] {
        if (auto *w = qobject_cast<T *>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(w);
            return;
        }
        if (clock.elapsed() > within_ms) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}

// Records the next message box and presses its OK button.
inline void answer_message_box(QObject *context, shown_box &box)
{
    when_modal<QMessageBox>(context, [&box](QMessageBox *m) {
        box.seen = true;
        box.text = m->text();
        box.title = m->windowTitle();
        box.icon = m->icon();
        box.buttons = int(m->buttons().size());
        if (QAbstractButton *ok = m->button(QMessageBox::Ok))
            ok->click();
        else
            m->close();
    });
}

} // namespace dialog_helpers
