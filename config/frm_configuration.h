#pragma once
// The configuration menu: the title picture, a looping title sound, and the
// buttons that open the options dialog, the preview, the maker's catalogue and
// the about box. Closing it ends the program.
#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class frm_screensaver;
namespace platform { class instance_marker; }

class frm_configuration : public QDialog
{
    Q_OBJECT
public:
    // Loads the menu (Form_Load runs here).
    explicit frm_configuration(QWidget *parent = nullptr);
    ~frm_configuration() override;

    // Handlers.
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Command7_Click(); // &Options
    void Command6_Click(); // &Preview
    void Command3_Click(); // &Krelix Products
    void Command2_Click(); // &About
    void Command4_Click(); // &Exit

    // The title sound: looping in the background, and off.
    void launch_wav(const QString &file);
    void audio_off();
    QString title_sound() const;
    QString catalogue_file() const;

    // Controls.
    QPushButton *Command7 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command4 = nullptr;
    QLabel *Image1 = nullptr;

    int menu_activated = 0;

    // The saver window of the last preview (kept until the next one or the menu's end).
    frm_screensaver *preview_window() const { return preview_.get(); }

    // How the program ends when the menu unloads: at once, by default.
    std::function<void()> end_program;

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void build_layout();

    std::unique_ptr<platform::instance_marker> marker_;
    std::unique_ptr<frm_screensaver> preview_;
    bool busy_ = false;     // a dialog or the preview is open from a handler
    bool unloaded_ = false;
};
