#pragma once
// The options dialog: five scroll bars and five check boxes over the in-memory
// settings, and the buttons that open the audio files editor, the captions
// editor and the change-password dialog. Every way of closing it saves.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QScrollBar;
class QToolButton;

class frm_options : public QDialog
{
    Q_OBJECT
public:
    // Loads the dialog (Form_Load runs here).
    explicit frm_options(QWidget *parent = nullptr);

    // Handlers.
    void Form_Load();
    void Form_Unload();
    void Command8_Click(); // &Edit Audio Files
    void Command7_Click(); // Edit &Captions
    void Command2_Click(); // &Password
    void Command1_Click(); // &Ok

    // Settings to controls, and back (which also writes them to the store).
    void display_settings();
    void update_settings();

    // Controls: the bars in their frames between their end labels.
    QScrollBar *HScroll1 = nullptr; // how long to display each scene
    QScrollBar *HScroll4 = nullptr; // frequency of objects
    QScrollBar *HScroll3 = nullptr; // frequency of captions
    QScrollBar *HScroll2 = nullptr; // frequency of audio files
    QScrollBar *HScroll5 = nullptr; // animation frame rate
    QGroupBox *Frame1 = nullptr, *Frame4 = nullptr, *Frame3 = nullptr, *Frame2 = nullptr, *Frame5 = nullptr;
    QCheckBox *Check1 = nullptr; // Play &Audio
    QCheckBox *Check2 = nullptr; // Display &Time
    QCheckBox *Check3 = nullptr; // &Display Captions
    QCheckBox *Check4 = nullptr; // Save As &Wallpaper
    QCheckBox *Check5 = nullptr; // &Require Password
    QToolButton *Command8 = nullptr;
    QToolButton *Command7 = nullptr;
    QToolButton *Command2 = nullptr;
    QToolButton *Command1 = nullptr;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    QGroupBox *frame(const QString &caption, QScrollBar *&bar, int max, const QString &left, const QString &right);
    QToolButton *big_button(const QString &caption, const QString &tooltip, const QString &icon);
    bool unloaded_ = false;
};
