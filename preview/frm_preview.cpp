#include "preview/frm_preview.h"

#include "platform/os.h"
#include "startup/bas_shellcode.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QWindow>

preview_picture::preview_picture(frm_preview *form) : QLabel(nullptr), form_(form)
{
    setAttribute(Qt::WA_NativeWindow);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAlignment(Qt::AlignLeft | Qt::AlignTop); // the picture is not stretched
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::black);
    setPalette(p);
}

void preview_picture::closeEvent(QCloseEvent *e)
{
    // The form decides; the picture itself never closes the program.
    e->ignore();
    form_->Picture1_CloseRequest();
}

frm_preview::frm_preview() : host_(static_cast<platform::x_window>(bas_shellcode::parent_window))
{
    Picture1 = new preview_picture(this);
    Picture1->setPixmap(QPixmap(QDir(platform::pictures_folder()).filePath(QStringLiteral("preview.png"))));
    Timer1.setInterval(50);
    connect(&Timer1, &QTimer::timeout, this, &frm_preview::Timer1_Timer);
}

frm_preview::~frm_preview()
{
    delete Picture1;
}

bool frm_preview::use_x11()
{
    if (!platform::x11_display_reachable())
        return false;
    qputenv("QT_QPA_PLATFORM", "xcb");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0"); // the host's pixels are the picture's pixels
    return true;
}

void frm_preview::Form_Load()
{
    // Qt reports a foreign window as 0 x 0: the client size comes from the X server.
    const QSize client = host_.size();
    if (!client.isEmpty())
        preview_rect = QRect(QPoint(0, 0), client);
    Picture1->setGeometry(0, 0, preview_rect.width(), preview_rect.height());
    if (host_.exists()) {
        Picture1->winId(); // its native window, to hand to the host
        Picture1->windowHandle()->setParent(QWindow::fromWinId(static_cast<WId>(host_.id())));
        Picture1->setGeometry(0, 0, preview_rect.width(), preview_rect.height());
        Picture1->show();
    }
    preview_attached = true;
    Timer1.start();
}

void frm_preview::Picture1_CloseRequest()
{
    if (!preview_attached)
        return;
    // Taken back from the host: hidden in the form's keeping until the next tick.
    Picture1->hide();
    if (Picture1->windowHandle())
        Picture1->windowHandle()->setParent(nullptr);
    preview_attached = false;
}

void frm_preview::Timer1_Timer()
{
    if (!host_.exists() || !preview_attached)
        Form_Unload();
}

void frm_preview::Form_Unload()
{
    if (unloaded)
        return;
    unloaded = true;
    Timer1.stop();
    if (on_unload)
        on_unload();
}
