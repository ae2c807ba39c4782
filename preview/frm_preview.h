#pragma once
// The still preview inside a host's window ("/P <window>"): the form itself is
// never shown; its picture is put into the host's window, and a 50 ms timer
// unloads the form, which ends the process, once the host's window is gone or
// the picture was asked to close.
#include "platform/foreign_window.h"

#include <QLabel>
#include <QRect>
#include <QTimer>
#include <QWidget>
#include <functional>

class frm_preview;

// The picture control: a native window of its own so that it can live inside
// the host's window; a close request to it (WM_DELETE_WINDOW, as a window
// manager or the host sends it) is reported to the form.
class preview_picture : public QLabel
{
    Q_OBJECT
public:
    explicit preview_picture(frm_preview *form);

protected:
    void closeEvent(QCloseEvent *e) override;

private:
    frm_preview *form_;
};

class frm_preview : public QWidget
{
    Q_OBJECT
public:
    frm_preview();
    ~frm_preview() override;

    // The preview needs the X server the host's window lives on. False when
    // there is none (no DISPLAY, or Wayland alone): the preview then ends quietly.
    // Call before the application object exists.
    static bool use_x11();

    void Form_Load();
    void Timer1_Timer();
    // The close request that reached the picture.
    void Picture1_CloseRequest();
    // Leaves the host's window alone and ends the process (through `on_unload`).
    void Form_Unload();

    preview_picture *Picture1 = nullptr;
    QTimer Timer1;

    QRect preview_rect;            // the host window's client area, in pixels
    bool preview_attached = false; // the picture lives in the host's window
    bool unloaded = false;

    // What unloading the form does to the process; the program ends it, tests watch it.
    std::function<void()> on_unload;

private:
    platform::foreign_window host_;
};
