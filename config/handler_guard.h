#pragma once
// Keeps a window alive across the nested event loops its handlers open (a
// modal message box, a pass over the pending events). While one runs, a close
// or a deferred delete aimed at the window waits and is carried out after the
// handler has returned. A window destroyed outright meanwhile is reported, so
// the handler can leave without touching it.
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;

class handler_guard : public QObject
{
    Q_OBJECT
public:
    // Becomes a child of `window` and watches its events.
    explicit handler_guard(QWidget *window);

    // A message box with an OK button only and no icon. False when the window
    // was destroyed while it was open: the handler must return at once.
    [[nodiscard]] bool message_box(const QString &text, const QString &title);
    // One pass over the pending events; false as above.
    [[nodiscard]] bool do_events();

    // True while a nested loop runs inside one of the window's handlers.
    bool nested() const { return depth_ > 0; }

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    template <typename F> bool run_nested(F &&nested_loop);

    QWidget *window_;
    int depth_ = 0;
    bool close_waiting_ = false;
    bool delete_waiting_ = false;
};
