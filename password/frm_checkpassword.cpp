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

frm_checkpassword::frm_checkpassword(frm_screensaver &saver)
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), saver_(saver),
      scene_(saver.scene())
{
    setWindowTitle(QStringLiteral("Screen Saver Password"));
    // No delete-on-close: the prompt may close while one of its own handlers
    // still runs (the timer fires while the wrong-password box is open), so it
    // deletes itself only once no handler of it is running (release()).

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
    // The end may come while the saver still shows (a session's end refused
    // once by its unload), and a box of the prompt must not hold it up.
    saver_.installEventFilter(this);
    connect(&saver_, &frm_screensaver::ending, this, [this] { dismiss(); });
    connect(&saver_, &QObject::destroyed, this, [this] { dismiss(); });

    Form_Load();
}

frm_checkpassword *frm_checkpassword::open_over(frm_screensaver &saver)
{
    auto *prompt = new frm_checkpassword(saver);
    if (prompt->unloaded_)
        return nullptr; // the saver ended while the prompt loaded; it deletes itself
    prompt->show();
    prompt->activateWindow();
    prompt->Text1->setFocus();
    return prompt;
}

void frm_checkpassword::Form_Load()
{
    const running_handler running(this); // place_window and the topmost step let events run
    bas_password::place_window(this);
    if (scene_.preview_mode != 1) {
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        platform::do_events();
        if (unloaded_)
            return;
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
    const running_handler running(this);
    // The store keeps every character as it was set, so the typed
    // text is compared as it is, letters in capitals on both sides.
    if (Text1->text().toUpper() == bas_shellcode::saver_password.toUpper()) {
        scene_.password_prompt_open = 0;
        scene_.exit_requested = 1;
        close();
        return;
    }
    Text1->clear();
    // The box runs its own event loop: the timer, the saver's end or a click
    // may close the prompt meanwhile, and the box goes with it.
    platform::message_box(QStringLiteral("The password that you typed is not correct. Try typing it again."),
                          QStringLiteral("Passwords"), platform::message_icon::exclamation, this);
    if (unloaded_)
        return;
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
    release();
}

void frm_checkpassword::dismiss()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    QDialog::done(QDialog::Rejected);
    release();
}

void frm_checkpassword::release()
{
    if (handlers_running_ > 0)
        release_pending_ = true;
    else if (!release_posted_) {
        release_posted_ = true;
        deleteLater();
    }
}

frm_checkpassword::running_handler::running_handler(frm_checkpassword *prompt) : prompt_(prompt)
{
    ++prompt_->handlers_running_;
}

frm_checkpassword::running_handler::~running_handler()
{
    if (--prompt_->handlers_running_ == 0 && prompt_->release_pending_)
        prompt_->release();
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
    if (watched == &saver_ && e->type() == QEvent::Hide)
        dismiss();
    return QDialog::eventFilter(watched, e);
}
