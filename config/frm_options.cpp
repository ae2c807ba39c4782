#include "config/frm_options.h"

#include "config/frm_audio.h"
#include "config/frm_captions.h"
#include "password/bas_password.h"
#include "password/frm_newpassword.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "startup/numbers.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString k_desktop_section = QStringLiteral("Desktop");
const QString k_use_password = QStringLiteral("ScreenSaveUsePassword");

int twips_x(int twips) { return twips / std::max<int>(1, bas_shellcode::twips_per_pixel_x); }
int twips_y(int twips) { return twips / std::max<int>(1, bas_shellcode::twips_per_pixel_y); }

// A large button with its icon above the caption; Enter presses it like Space.
class big_button_widget : public QToolButton
{
public:
    using QToolButton::QToolButton;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && e->modifiers() == Qt::NoModifier) {
            animateClick();
            return;
        }
        QToolButton::keyPressEvent(e);
    }
};

void set_check(QCheckBox *box, bool on) { box->setCheckState(on ? Qt::Checked : Qt::Unchecked); }
int check_value(const QCheckBox *box) { return box->checkState() == Qt::Checked ? 1 : 0; }
} // namespace

frm_options::frm_options(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Screen Saver Options"));

    Frame1 = frame(QStringLiteral("How Long To Display Each Scene"), HScroll1, 20, QStringLiteral("Shorter"), QStringLiteral("Longer"));
    Frame4 = frame(QStringLiteral("Frequency Of Objects"), HScroll4, 20, QStringLiteral("More"), QStringLiteral("Less"));
    Frame3 = frame(QStringLiteral("Frequency Of Captions"), HScroll3, 20, QStringLiteral("More"), QStringLiteral("Less"));
    Frame2 = frame(QStringLiteral("Frequency Of Audio Files"), HScroll2, 60, QStringLiteral("More"), QStringLiteral("Less"));
    Frame5 = frame(QStringLiteral("Animation Frame Rate"), HScroll5, 40, QStringLiteral("Faster"), QStringLiteral("Slower"));

    Check1 = new QCheckBox(QStringLiteral("Play &Audio"), this);
    Check1->setToolTip(QStringLiteral(" Place a check here to turn on any audio available during the screen saver "));
    Check2 = new QCheckBox(QStringLiteral("Display &Time"), this);
    Check2->setToolTip(QStringLiteral(" Place a check here to display the time of day during the screen saver "));
    Check3 = new QCheckBox(QStringLiteral("&Display Captions"), this);
    Check3->setToolTip(QStringLiteral(" Place a check here to display any captions that are available during the screen saver "));
    Check4 = new QCheckBox(QStringLiteral("Save As &Wallpaper"), this);
    Check4->setToolTip(QStringLiteral(" Place a check here to save a screen copy of the screen saver as wall paper when the screen saver exits "));
    Check5 = new QCheckBox(QStringLiteral("&Require Password"), this);
    Check5->setToolTip(QStringLiteral(" Place a check here to ask for the screen saver password before the screen saver ends "));

    Command8 = big_button(QStringLiteral("&Edit Audio Files"),
                          QStringLiteral(" Click here to edit the list of audio files that will play during the screen saver "),
                          QStringLiteral("options-audio.png"));
    Command7 = big_button(QStringLiteral("Edit &Captions"),
                          QStringLiteral(" Click here to edit the list of captions that will be displayed during the screen saver "),
                          QStringLiteral("options-captions.png"));
    Command2 = big_button(QStringLiteral("&Password"),
                          QStringLiteral(" Click here to change the password for this screen saver "),
                          QStringLiteral("options-password.png"));
    Command1 = big_button(QStringLiteral("&Ok"), QStringLiteral(" Click here to exit this menu "),
                          QStringLiteral("options-ok.png"));

    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    for (QGroupBox *f : {Frame1, Frame4, Frame3, Frame2, Frame5})
        left->addWidget(f);
    auto *checks = new QGridLayout;
    checks->setHorizontalSpacing(12);
    checks->setVerticalSpacing(2);
    checks->addWidget(Check2, 0, 0);
    checks->addWidget(Check3, 0, 1);
    checks->addWidget(Check1, 1, 0);
    checks->addWidget(Check4, 1, 1);
    checks->addWidget(Check5, 2, 0, 1, 2);
    left->addSpacing(2);
    left->addLayout(checks);
    left->addStretch(1);

    auto *right = new QVBoxLayout;
    right->setSpacing(6);
    for (QToolButton *b : {Command8, Command7, Command2, Command1})
        right->addWidget(b, 1);

    auto *all = new QHBoxLayout(this);
    all->setContentsMargins(6, 6, 6, 6);
    all->setSpacing(8);
    all->addLayout(left, 1);
    all->addLayout(right);

    // The design's client area, grown where the desktop's font needs more room.
    const QSize hint = all->totalSizeHint();
    setFixedSize(std::max(twips_x(4800), hint.width()), std::max(twips_y(4155), hint.height()));

    // Tab goes down the left side, then down the buttons.
    QWidget *order[] = {HScroll1, HScroll4, HScroll3, HScroll2, HScroll5, Check2, Check3,
                        Check1,   Check4,   Check5,   Command8, Command7, Command2, Command1};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(Command8, &QToolButton::clicked, this, [this] { Command8_Click(); });
    connect(Command7, &QToolButton::clicked, this, [this] { Command7_Click(); });
    connect(Command2, &QToolButton::clicked, this, [this] { Command2_Click(); });
    connect(Command1, &QToolButton::clicked, this, [this] { Command1_Click(); });

    Form_Load();
}

QGroupBox *frm_options::frame(const QString &caption, QScrollBar *&bar, int max, const QString &left,
                              const QString &right)
{
    auto *box = new QGroupBox(caption, this);
    bar = new QScrollBar(Qt::Horizontal, box);
    bar->setRange(1, max);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    bar->setFocusPolicy(Qt::StrongFocus);
    bar->setMinimumWidth(90);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(6, 2, 6, 4);
    row->setSpacing(6);
    row->addWidget(new QLabel(left, box));
    row->addWidget(bar, 1);
    row->addWidget(new QLabel(right, box));
    return box;
}

QToolButton *frm_options::big_button(const QString &caption, const QString &tooltip, const QString &icon)
{
    auto *b = new big_button_widget(this);
    b->setText(caption);
    b->setToolTip(tooltip);
    b->setIcon(QIcon(platform::pictures_folder() + QStringLiteral("buttons/") + icon));
    b->setIconSize(QSize(32, 32));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setFocusPolicy(Qt::StrongFocus);
    b->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
    b->setMinimumWidth(twips_x(1500));
    return b;
}

void frm_options::Form_Load()
{
    platform::do_events();
    platform::do_events();
    display_settings();
}

void frm_options::display_settings()
{
    using namespace bas_shellcode;
    // A stored value outside a bar's range shows at the nearer end and is stored back from there.
    auto show = [](std::int32_t &setting, QScrollBar *bar) {
        if (setting == 0)
            setting = 1;
        bar->setValue(setting);
    };
    show(cycle_speed_value, HScroll1);
    show(audio_seconds, HScroll2);
    show(scroller_delay, HScroll3);
    show(object_frequency, HScroll4);
    if (frame_rate == 0)
        frame_rate = 20;
    const double fifth = numbers::round_even(frame_rate / 5.0);
    HScroll5->setValue(static_cast<int>(std::clamp(fifth, -1e9, 1e9)));
    set_check(Check1, text_is_nonzero(audio_on));
    set_check(Check2, text_is_nonzero(show_time));
    set_check(Check3, scroller_active != 0);
    set_check(Check4, save_as_wallpaper != 0);
    set_check(Check5, bas_password::use_password_enabled());
}

void frm_options::update_settings()
{
    using namespace bas_shellcode;
    show_time = QString::number(check_value(Check2));
    audio_on = QString::number(check_value(Check1));
    scroller_active = check_value(Check3);
    save_as_wallpaper = static_cast<std::int16_t>(check_value(Check4));
    cycle_speed_value = HScroll1->value();
    audio_seconds = HScroll2->value();
    scroller_delay = HScroll3->value();
    object_frequency = HScroll4->value();
    frame_rate = HScroll5->value() * 5;
    save_settings();
    // The system's "ask for a password" flag, which the saver reads when input ends it.
    save_setting(k_use_password, QString::number(check_value(Check5)), k_desktop_section);
}

void frm_options::Form_Unload() { update_settings(); }

void frm_options::Command8_Click()
{
    frm_audio dlg(this);
    dlg.exec();
}

void frm_options::Command7_Click()
{
    frm_captions dlg(this);
    dlg.exec();
}

void frm_options::Command2_Click()
{
    frm_newpassword dlg(this);
    dlg.exec();
}

void frm_options::Command1_Click() { close(); }

void frm_options::done(int result)
{
    // Ok, the close box and every other way out end here: each saves, once.
    if (!unloaded_) {
        unloaded_ = true;
        Form_Unload();
    }
    QDialog::done(result);
}

void frm_options::showEvent(QShowEvent *e)
{
    unloaded_ = false;
    QDialog::showEvent(e);
}

void frm_options::keyPressEvent(QKeyEvent *e)
{
    // No cancel here: Esc would look like one but save all the same, so it does nothing.
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}
