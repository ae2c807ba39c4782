#include "config/frm_about.h"

#include "platform/os.h"
#include "platform/shell.h"
#include "startup/bas_shellcode.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
const QString k_product = QStringLiteral("Zentara Screen Saver");
// The title of message boxes that have none of their own.
const QString k_application_title = QStringLiteral("scrnsave:Zentara");

int twips_x(int twips) { return twips / std::max<int>(1, bas_shellcode::twips_per_pixel_x); }
int twips_y(int twips) { return twips / std::max<int>(1, bas_shellcode::twips_per_pixel_y); }

QFont heading_font(const QFont &base)
{
    QFont f = base;
    f.setPointSize(18);
    f.setBold(true);
    return f;
}
} // namespace

const QString frm_About::k_web_address = QStringLiteral("https://www.krelix-software.example/");

const std::vector<QStringList> frm_About::k_system_info_tools = {
    {QStringLiteral("hardinfo")},
    {QStringLiteral("kinfocenter")},
    {QStringLiteral("gnome-control-center"), QStringLiteral("info-overview")},
    {QStringLiteral("cinnamon-settings"), QStringLiteral("info")},
    {QStringLiteral("xfce4-about")},
};

QString frm_About::version_text()
{
    return QStringLiteral("Version ") + QString::number(ZENTARA_VERSION_MAJOR) + QStringLiteral(".")
           + QString::number(ZENTARA_VERSION_MINOR) + QStringLiteral(".") + QString::number(ZENTARA_VERSION_PATCH);
}

frm_About::frm_About(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    Image1 = new QLabel(this);
    Image1->setPixmap(QPixmap(platform::pictures_folder() + QStringLiteral("about.png")));
    Image1->setFixedSize(150, 112);
    Image1->setFrameShape(QFrame::NoFrame);

    lblTitle = new QLabel(this);
    lblTitle->setFont(heading_font(font()));
    lblVersion = new QLabel(this);
    lblVersion->setFont(heading_font(font()));

    Frame1 = new QGroupBox(QStringLiteral("Krelix Software"), this);
    auto *contact = new QLabel(QStringLiteral("Web: www.krelix-software.example\n"
                                              "Sales: sales@krelix-software.example\n"
                                              "Support: support@krelix-software.example"),
                               Frame1);
    contact->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *frame_layout = new QVBoxLayout(Frame1);
    frame_layout->setContentsMargins(8, 4, 8, 6);
    frame_layout->addWidget(contact);

    lblDisclaimer = new QLabel(QStringLiteral("Warning: this computer program is protected by copyright law. "
                                              "Copyright \u00A9 1999\u20132026 Krelix Software. All rights reserved. "
                                              "Copying or distributing this program or any part of it without "
                                              "permission is not allowed."),
                               this);
    lblDisclaimer->setWordWrap(true);
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.85);
    lblDisclaimer->setFont(small);

    // A picture button whose caption wraps: the icon and the text are the button's
    // own children, and the text's mnemonic presses the button.
    Command1 = new QPushButton(this);
    Command1->setToolTip(
        QStringLiteral("Visit The Krelix Software Website For The Latest Screen Savers And Multimedia Tools!"));
    Command1->setAutoDefault(false);
    auto *web_icon = new QLabel(Command1);
    web_icon->setPixmap(QPixmap(platform::pictures_folder() + QStringLiteral("buttons/about-web.png")));
    web_icon->setAlignment(Qt::AlignCenter);
    auto *web_text = new QLabel(QStringLiteral("&Click here to visit the Krelix Software website on the internet."),
                                Command1);
    web_text->setWordWrap(true);
    web_text->setAlignment(Qt::AlignCenter);
    web_text->setBuddy(Command1);
    for (QLabel *l : {web_icon, web_text})
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto *button_layout = new QVBoxLayout(Command1);
    button_layout->setContentsMargins(6, 6, 6, 6);
    button_layout->setSpacing(4);
    button_layout->addWidget(web_icon);
    button_layout->addWidget(web_text);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    // OK is both the default and the cancel button: Enter and Esc press it.
    cmdOK->setDefault(true);
    cmdSysInfo->setAutoDefault(false);
    const int column_width = std::max({twips_x(1900), cmdOK->sizeHint().width(), cmdSysInfo->sizeHint().width()});
    for (QPushButton *b : {Command1, cmdOK, cmdSysInfo})
        b->setFixedWidth(column_width);
    Command1->setFixedHeight(button_layout->totalHeightForWidth(column_width));

    auto *left = new QVBoxLayout;
    left->setSpacing(4);
    left->addWidget(Image1, 0, Qt::AlignLeft);
    left->addSpacing(2);
    left->addWidget(lblTitle);
    left->addWidget(lblVersion);
    left->addSpacing(4);
    left->addWidget(Frame1);
    left->addWidget(lblDisclaimer);
    left->addStretch(1);

    auto *right = new QVBoxLayout;
    right->setSpacing(6);
    right->addWidget(Command1);
    right->addStretch(1);
    right->addWidget(cmdOK);
    right->addWidget(cmdSysInfo);

    auto *all = new QHBoxLayout(this);
    all->setContentsMargins(10, 10, 10, 10);
    all->setSpacing(12);
    all->addLayout(left, 1);
    all->addLayout(right);

    setTabOrder(Command1, cmdOK);
    setTabOrder(cmdOK, cmdSysInfo);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    Form_Load();
}

void frm_About::Form_Load()
{
    setWindowTitle(QStringLiteral("About ") + k_product);
    lblTitle->setText(k_product);
    lblVersion->setText(version_text());
    // The design's client area, grown where the desktop's fonts need more room.
    const QSize hint = layout()->totalSizeHint();
    setFixedSize(std::max(twips_x(6390), hint.width()), std::max(twips_y(4740), hint.height()));
}

void frm_About::cmdOK_Click() { accept(); }

void frm_About::cmdSysInfo_Click() { StartSysInfo(); }

void frm_About::Command1_Click()
{
    if (platform::open_web_address(k_web_address))
        return;
    const QChar cr(13);
    platform::message_box(QStringLiteral("Error Launching Your Default Browser!") + cr + cr
                              + QStringLiteral("Please make sure you have a DEFAULT browser selected and try again."),
                          QStringLiteral("Error!"), platform::message_icon::none);
}

void frm_About::StartSysInfo()
{
    // The first tool found is the one to start; when it cannot be started, no other is tried.
    for (const QStringList &tool : k_system_info_tools) {
        const QString program = platform::find_program(tool.first());
        if (program.isEmpty())
            continue;
        if (platform::start_detached(program, tool.mid(1)))
            return;
        break;
    }
    platform::message_box(QStringLiteral("System Information Is Unavailable At This Time"), k_application_title,
                          platform::message_icon::none);
}
