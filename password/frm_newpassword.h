#pragma once
// The change-password dialog: a new saver password typed twice, turned into the
// characters of the keys that type it, and stored scrambled. Shown modeless as
// the only window of mode "/A", or modal from the options dialog.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class frm_newpassword : public QDialog
{
    Q_OBJECT
public:
    // Loads the dialog (Form_Load runs here).
    explicit frm_newpassword(QWidget *parent = nullptr);

    static constexpr int k_max_length = 30;

    // Handlers.
    void Form_Load();
    void OK_Click();
    void Cancel_Click();

    // Controls.
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *NewPassword = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *NewPassword2 = nullptr;
    QPushButton *OK = nullptr;
    QPushButton *Cancel = nullptr;

private:
    QString to_key_characters(const QString &text) const;
};
