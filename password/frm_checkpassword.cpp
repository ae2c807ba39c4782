#include "password/frm_checkpassword.h"

#include "engine/frm_screensaver.h"
#include "password/bas_password.h"
#include "platform/display.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
// The stored password keeps 8-bit character codes, and a character beyond them
// comes back as '?'. A typed text is seen the same way, so that a password the
// store could not hold exactly still opens the saver.
QString as_stored(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() > 255)
            c = QLatin1Char('?');
    return out;
}
} // namespace

frm_checkpassword::frm_checkpassword(frm_screensaver &saver)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), saver_(saver),
      scene_(saver.scene())
{
    setWindowTitle(QStringLiteral("Screen Saver Password"));
    setAttribute(Qt::WA_DeleteOnClose);

    Label1 = new QLabel(QStringLiteral("Type your screen saver password:"), this);
    Text1 = new QLineEdit(this);
    bas_password::make_password_box(Text1);
    Text1->installEventFilter(this);
    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command2 = new QPushButton(QStringLiteral("Cancel"), this);
    // Enter belongs to the text box (Text1_KeyPress); the buttons take clicks.
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setVerticalSpacing(8);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(Text1, 1, 0);
    grid->addLayout(buttons, 2, 0);
    Text1->setMinimumWidth(260);
    setFixedSize(sizeHint());

    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    Timer1->setInterval(20000);

    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
    // The saver's end takes the prompt with it, as the end of the process would:
    // the prompt's unload does not run then (it would hide the pointer again).
    saver_.installEventFilter(this);
    connect(&saver_, &QObject::destroyed, this, [this] { delete this; });

    Form_Load();
}

frm_checkpassword *frm_checkpassword::open_over(frm_screensaver &saver)
{
    auto *prompt = new frm_checkpassword(saver);
    prompt->show();
    prompt->activateWindow();
    prompt->Text1->setFocus();
    return prompt;
}

void frm_checkpassword::Form_Load()
{
    bas_password::place_window(this);
    if (scene_.preview_mode != 1) {
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        platform::do_events();
    }
    platform::show_cursor();
    // Runs from the load on; typing does not restart it.
    Timer1->start();
}

void frm_checkpassword::Text1_KeyPress(int &key_ascii)
{
    if (key_ascii == 13) {
        key_ascii = 0;
        Command1_Click();
    }
}

void frm_checkpassword::Command1_Click()
{
    const QString typed = as_stored(Text1->text()).toUpper();
    if (typed == bas_shellcode::saver_password.toUpper()) {
        scene_.password_prompt_open = 0;
        scene_.exit_requested = 1;
        close();
        return;
    }
    Text1->clear();
    platform::message_box(QStringLiteral("The password that you typed is not correct. Try typing it again."),
                          QStringLiteral("Passwords"), platform::message_icon::exclamation);
    activateWindow();
    Text1->setFocus();
}

void frm_checkpassword::Command2_Click()
{
    scene_.password_prompt_open = 0;
    close();
}

void frm_checkpassword::Timer1_Timer()
{
    scene_.password_prompt_open = 0;
    close();
}

void frm_checkpassword::Form_Unload()
{
    Timer1->stop();
    scene_.password_prompt_open = 0;
    // New input counts from zero before the prompt can come back.
    scene_.mouse_moves = 0;
    // The loop repaints the whole background at the end of the frame, which
    // takes the prompt's image out of the scene.
    scene_.full_repaint = 1;
    platform::hide_cursor();
}

void frm_checkpassword::done(int result)
{
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
        // Keys typed from now on go to the saver again.
        if (saver_.isVisible())
            saver_.activateWindow();
    }
    QDialog::done(result);
}

bool frm_checkpassword::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == Text1 && e->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent *>(e)->text();
        int key_ascii = text.isEmpty() ? 0 : text.at(0).unicode();
        if (key_ascii == 0)
            return false;
        Text1_KeyPress(key_ascii);
        return key_ascii == 0;
    }
    if (watched == &saver_ && e->type() == QEvent::Hide && !unloaded_) {
        unloaded_ = true;
        hide();
        deleteLater();
    }
    return QDialog::eventFilter(watched, e);
}
