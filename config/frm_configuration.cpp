#include "config/frm_configuration.h"

#include "config/frm_about.h"
#include "config/frm_options.h"
#include "engine/frm_screensaver.h"
#include "password/bas_password.h"
#include "platform/os.h"
#include "platform/shell.h"
#include "platform/sound_system.h"
#include "startup/bas_shellcode.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString k_title_sound = QStringLiteral("title.wav");
const QString k_catalogue = QStringLiteral("Krelix_Products.html");

// Client sizes are given in twips; the screen's twips per pixel turn them into pixels.
int twips_x(int twips) { return twips / std::max<int>(1, bas_shellcode::twips_per_pixel_x); }
int twips_y(int twips) { return twips / std::max<int>(1, bas_shellcode::twips_per_pixel_y); }

// Ends a local event loop when the watched window hides (the saver's orderly exit).
class hide_watch : public QObject
{
public:
    explicit hide_watch(QEventLoop &loop) : loop_(loop) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Hide)
            loop_.quit();
        return false;
    }

private:
    QEventLoop &loop_;
};
} // namespace

frm_configuration::frm_configuration(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint)
{
    end_program = [] { platform::end_at_once(0); };

    Command7 = new QPushButton(QStringLiteral("&Options"), this);
    Command7->setToolTip(QStringLiteral(" Click here to change the settings for this screen saver "));
    Command6 = new QPushButton(QStringLiteral("&Preview"), this);
    Command6->setToolTip(QStringLiteral(" Click here to preview the screen saver! "));
    Command3 = new QPushButton(QStringLiteral("&Krelix Products"), this);
    Command3->setToolTip(QStringLiteral(" Click here to learn about other Krelix Software products "));
    Command2 = new QPushButton(QStringLiteral("&About"), this);
    Command2->setToolTip(QStringLiteral(" Click here to learn more about this screen saver "));
    Command4 = new QPushButton(QStringLiteral("&Exit"), this);
    Command4->setToolTip(QStringLiteral(" Click here to exit "));
    Image1 = new QLabel(this);
    Image1->setPixmap(QPixmap(platform::pictures_folder() + QStringLiteral("menu.png")));
    build_layout();

    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });

    Form_Load();
}

frm_configuration::~frm_configuration() = default;

void frm_configuration::build_layout()
{
    // Picture and buttons fill the client area edge to edge; every button is at
    // least 300 twips high, taller where the desktop's font needs it.
    const int button_height = twips_y(300);
    for (QPushButton *b : {Command7, Command6, Command3, Command2, Command4}) {
        b->setMinimumHeight(button_height);
        b->setAutoDefault(true); // Enter presses the button that has the focus
    }
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setMinimumSize(twips_x(4800), twips_y(3600));
    Image1->setAutoFillBackground(true);
    QPalette pal = Image1->palette();
    pal.setColor(QPalette::Window, Qt::black);
    Image1->setPalette(pal);

    auto *top = new QHBoxLayout;
    top->setSpacing(0);
    top->addWidget(Command7);
    top->addWidget(Command6);
    auto *bottom = new QHBoxLayout;
    bottom->setSpacing(0);
    bottom->addWidget(Command3);
    bottom->addWidget(Command2);
    bottom->addWidget(Command4);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addLayout(top);
    column->addWidget(Image1, 1);
    column->addLayout(bottom);

    // The design's client area, grown where the buttons' texts need more room.
    const QSize hint = column->totalSizeHint();
    // Wide enough for the window manager to show the whole caption beside its
    // buttons (title bars use a bold face of about the desktop's size).
    QFont title_font = font();
    title_font.setBold(true);
    const int caption_width = QFontMetrics(title_font).horizontalAdvance(bas_shellcode::k_configuration_caption) + 110;
    const QSize client(std::max({twips_x(4800), hint.width(), caption_width}),
                       std::max(twips_y(4155), hint.height()));
    setFixedSize(client);
    setTabOrder(Command7, Command6);
    setTabOrder(Command6, Command3);
    setTabOrder(Command3, Command2);
    setTabOrder(Command2, Command4);
}

void frm_configuration::Form_Load()
{
    bas_password::place_window(this);
    setWindowTitle(bas_shellcode::k_configuration_caption);
    // Another "/C" finds this caption's marker and ends at once.
    marker_ = std::make_unique<platform::instance_marker>(bas_shellcode::k_configuration_caption);
    if (!marker_->held()) {
        // Another menu started in the same moment and took the marker first.
        unloaded_ = true;
        marker_.reset();
        if (end_program)
            end_program();
        return;
    }
    menu_activated = 0;
    bas_shellcode::load_settings();
}

void frm_configuration::Form_Activate()
{
    if (menu_activated != 0)
        return;
    menu_activated = 1;
    launch_wav(title_sound());
}

QString frm_configuration::title_sound() const { return bas_shellcode::install_path + k_title_sound; }
QString frm_configuration::catalogue_file() const { return bas_shellcode::install_path + k_catalogue; }

void frm_configuration::launch_wav(const QString &file)
{
    // The system player holds one sound: a new call replaces the one before.
    platform::play_sound(file, platform::snd_async | platform::snd_loop);
}

void frm_configuration::audio_off()
{
    platform::play_sound(QStringLiteral("1"), platform::snd_async);
    platform::do_events();
}

void frm_configuration::Command7_Click()
{
    // audio_off lets events run: a second click queued meanwhile must not open a second dialog.
    if (busy_)
        return;
    busy_ = true;
    QPointer<frm_configuration> self(this);
    audio_off();
    {
        frm_options dlg(this);
        dlg.exec();
    }
    if (!self)
        return;
    busy_ = false;
    launch_wav(title_sound());
}

void frm_configuration::Command6_Click()
{
    if (busy_)
        return;
    busy_ = true;
    QPointer<frm_configuration> self(this);
    audio_off();
    preview_.reset();
    preview_ = std::make_unique<frm_screensaver>();
    frm_screensaver *saver = preview_.get();
    // A preview: not held above other windows, and input ends it without a password.
    saver->scene().preview_mode = 1;
    saver->setWindowModality(Qt::ApplicationModal);
    {
        QEventLoop loop;
        hide_watch watch(loop);
        saver->installEventFilter(&watch);
        saver->show_saver();
        if (saver->isVisible())
            loop.exec();
        saver->removeEventFilter(&watch);
    }
    if (!self)
        return;
    saver->scene().preview_mode = 0;
    busy_ = false;
    launch_wav(title_sound());
}

void frm_configuration::Command3_Click()
{
    if (busy_)
        return;
    const QString file = catalogue_file();
    if (platform::open_document(file))
        return;
    busy_ = true;
    QPointer<frm_configuration> self(this);
    const QChar cr(13);
    platform::message_box(QStringLiteral("Error Launching ") + file + QStringLiteral("!") + cr + cr
                              + QStringLiteral("Please make sure you have this program installed properly!"),
                          QStringLiteral("Error!"), platform::message_icon::none);
    if (self)
        busy_ = false;
}

void frm_configuration::Command2_Click()
{
    if (busy_)
        return;
    busy_ = true;
    QPointer<frm_configuration> self(this);
    {
        frm_About dlg(this);
        dlg.exec();
    }
    if (self)
        busy_ = false;
}

void frm_configuration::Command4_Click() { close(); }

void frm_configuration::Form_Unload()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    audio_off();
    marker_.reset();
    if (end_program)
        end_program();
}

bool frm_configuration::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        Form_Activate();
    return QDialog::event(e);
}

void frm_configuration::closeEvent(QCloseEvent *e)
{
    // The menu is the program: whatever closes it ends it.
    Form_Unload();
    e->accept();
}

void frm_configuration::keyPressEvent(QKeyEvent *e)
{
    // A menu, not a question: Esc does not close it (Exit and the close box do).
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}
