#pragma once
// The captions editor: the caption list of the saver, loaded from its file when
// the editor opens, lines added and removed, and either saved back whole or left
// unchanged. The options dialog opens it modally.
#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class handler_guard;

class frm_captions : public QDialog
{
    Q_OBJECT
public:
    // Loads the editor (Form_Load runs here).
    explicit frm_captions(QWidget *parent = nullptr);

    static constexpr int k_client_width_twips = 6705;
    static constexpr int k_client_height_twips = 3930;

    // Handlers.
    void Form_Load();
    void Text1_KeyPress(int &key_ascii);
    void Command2_Click();
    void Command4_Click();
    void Command1_Click();
    void Command3_Click();

    // Controls.
    QListWidget *List1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command3 = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    handler_guard *guard_ = nullptr;
};
