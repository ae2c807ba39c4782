#include "password/frm_newpassword.h"

#include "password/bas_password.h"
#include "password/key_characters.h"
#include "platform/os.h"
#include "startup/bas_shellcode.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

frm_newpassword::frm_newpassword(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Change  Password"));

    Label1 = new QLabel(this);
    Label2 = new QLabel(QStringLiteral("New Password:"), this);
    NewPassword = new QLineEdit(this);
    Label3 = new QLabel(QStringLiteral("Confirm new password:"), this);
    NewPassword2 = new QLineEdit(this);
    bas_password::make_password_box(NewPassword);
    bas_password::make_password_box(NewPassword2);
    Label2->setBuddy(NewPassword);
    Label3->setBuddy(NewPassword2);
    OK = new QPushButton(QStringLiteral("OK"), this);
    Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    OK->setDefault(true);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(OK);
    buttons->addWidget(Cancel);
    buttons->addStretch();
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 12);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(8);
    grid->addWidget(Label1, 0, 0, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(NewPassword, 1, 1);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(NewPassword2, 2, 1);
    grid->addLayout(buttons, 0, 2, 3, 1);
    NewPassword->setMinimumWidth(170);
    // Label1 gets its text at load, after the dialog has its place: keep its line.
    Label1->setMinimumHeight(Label1->fontMetrics().height());
    setFixedSize(sizeHint());

    connect(OK, &QPushButton::clicked, this, [this] { OK_Click(); });
    connect(Cancel, &QPushButton::clicked, this, [this] { Cancel_Click(); });

    Form_Load();
}

void frm_newpassword::Form_Load()
{
    bas_password::place_window(this);
    Label1->setText(QStringLiteral("Change password for ") + QStringLiteral("Zentara"));
    NewPassword->clear();
    NewPassword2->clear();
}

QString frm_newpassword::to_key_characters(const QString &text) const
{
    return key_characters::to_key_characters(text);
}

void frm_newpassword::OK_Click()
{
    // The boxes and the pumping below run events: a close meanwhile (in mode
    // "/A" the dialog deletes itself when it closes) must not be run into.
    const QPointer<frm_newpassword> alive(this);
    // The boxes keep the converted texts, whatever happens next.
    NewPassword->setText(to_key_characters(NewPassword->text()));
    NewPassword2->setText(to_key_characters(NewPassword2->text()));

    if (NewPassword->text() != NewPassword2->text()) {
        platform::message_box(QStringLiteral("The new and confirmed passwords do not match. Please type them again."),
                              QStringLiteral("Microsoft Windows"), platform::message_icon::stop, this);
        return;
    }
    if (NewPassword->text().size() > k_max_length) {
        platform::message_box(QStringLiteral("New password too long") + QChar(10) + QStringLiteral("Maximum length ")
                                  + QString::number(k_max_length) + QStringLiteral(" chars"),
                              QStringLiteral("Change Password"), platform::message_icon::exclamation, this);
        return;
    }
    bas_shellcode::saver_password = NewPassword->text();
    bas_shellcode::scramble_password();
    // The settings file stays readable by its owner alone on every write.
    bas_shellcode::save_setting(QStringLiteral("misc"), bas_shellcode::scrambled_password);
    platform::do_events();
    if (alive)
        accept();
}

void frm_newpassword::Cancel_Click()
{
    reject();
}
