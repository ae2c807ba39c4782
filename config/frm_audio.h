#pragma once
// The audio files editor: the saver's list of sound files, loaded from its file
// when the editor opens. The user browses volumes and folders, adds the sound
// files found there, removes lines, previews a file by double-clicking it, and
// either saves the list back whole or leaves it unchanged. The options dialog
// opens it modally.
#include "platform/media_device.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidgetItem;
class dir_list_box;
class drive_list_box;
class file_list_box;
class handler_guard;
class list_box;

class frm_audio : public QDialog
{
    Q_OBJECT
public:
    // Loads the editor (Form_Load runs here).
    explicit frm_audio(QWidget *parent = nullptr);
    ~frm_audio() override;

    static constexpr int k_client_width_twips = 6705;
    static constexpr int k_client_height_twips = 3930;
    static inline const QString k_pattern = QStringLiteral("*.mid;*.rmi;*.wav");

    // Starts `file` on the editor's own device; a new preview ends the previous one.
    void play_audio(const QString &file);
    // Previews the current file of File1.
    void do_audio();

    // Handlers.
    void Form_Load();
    void Drive1_Change();
    void Dir1_Change();
    void Dir1_Click(const QString &folder);
    void File1_DblClick();
    void List2_DblClick();
    void Command1_Click();
    void Command2_Click();
    void Command5_Click();
    void Command3_Click();
    void Command6_Click();
    void Form_Unload();

    // Controls.
    drive_list_box *Drive1 = nullptr;
    dir_list_box *Dir1 = nullptr;
    QLabel *Label1 = nullptr;
    file_list_box *File1 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *Label2 = nullptr;
    list_box *List2 = nullptr;
    QPushButton *Command6 = nullptr;
    QPushButton *Command3 = nullptr;
    platform::media_device MMControl1;

    // However the editor closes (a button, Escape, the window's close button),
    // its unload handler runs once.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    // Shows `folder` in the three lists; false when it cannot be shown.
    bool show_folder(const QString &folder);
    // The home folder, or the root when even that cannot be shown.
    void show_home();
    void add_files(bool selected_only);

    handler_guard *guard_ = nullptr;
    bool unloaded_ = false;
};
