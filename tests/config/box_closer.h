#pragma once
// Watches for the real message boxes that a window opens, records what each one
// shows and closes it with its OK button, as a user would.
#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>

struct seen_box
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
};

class box_closer : public QObject
{
public:
    QList<seen_box> seen;
    // Runs while box number n (from 0) is open, before it is closed.
    std::function<void(int n)> during;

    box_closer()
    {
        poll_.setInterval(10);
        connect(&poll_, &QTimer::timeout, this, [this] { look(); });
        poll_.start();
    }

private:
    void look()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == current_ || !box->isVisible())
            return;
        current_ = box;
        seen_box s{box->text(), box->windowTitle(), box->icon(), {}};
        for (QAbstractButton *b : box->buttons())
            s.buttons << b->text();
        seen.append(s);
        if (during)
            during(static_cast<int>(seen.size()) - 1);
        if (current_)
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
    }

    QTimer poll_;
    QPointer<QMessageBox> current_;
};
