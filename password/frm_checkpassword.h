#pragma once
// The password prompt over the running saver: the saver ends only once the
// saver password has been typed here. The scene keeps moving behind it.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class frm_screensaver;
namespace engine { class scene_engine; }

class frm_checkpassword : public QDialog
{
    Q_OBJECT
public:
    // Loads the prompt for a running saver (Form_Load runs here).
    explicit frm_checkpassword(frm_screensaver &saver);

    // What the frame loop does when input asks for the password: shows the
    // prompt modeless over the saver. The loop has already marked it open.
    // Null when the saver ended while the prompt loaded.
    static frm_checkpassword *open_over(frm_screensaver &saver);

    // True once the prompt has closed (by any way); it deletes itself as soon as
    // none of its handlers runs any more.
    bool closed() const { return unloaded_; }

    // Handlers.
    void Form_Load();
    void Text1_KeyPress(int &key_ascii);
    void Command1_Click();
    void Command2_Click();
    void Timer1_Timer();
    void Form_Unload();

    // Controls.
    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QTimer *Timer1 = nullptr;

    // However the prompt closes (Ok, Cancel, the timer, Escape, the window's
    // close button), its unload handler runs once.
    void done(int result) override;

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // Marks a handler that lets events run (its own message box, the load's
    // pumping): while one runs the prompt may close, but is not deleted.
    class running_handler
    {
    public:
        explicit running_handler(frm_checkpassword *prompt);
        ~running_handler();
        running_handler(const running_handler &) = delete;
        running_handler &operator=(const running_handler &) = delete;

    private:
        frm_checkpassword *prompt_;
    };

    // The saver's end: closes the prompt (and its box) without its unload.
    void dismiss();
    // Deletes the closed prompt now, or once the last running handler returns.
    void release();

    frm_screensaver &saver_;
    engine::scene_engine &scene_;
    bool unloaded_ = false;
    int handlers_running_ = 0;
    bool release_pending_ = false;
    bool release_posted_ = false;
};
