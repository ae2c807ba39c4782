#include "config/frm_audio.h"

#include "config/editor_window.h"
#include "config/file_controls.h"
#include "config/handler_guard.h"
#include "platform/volumes.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
const QString k_title = QStringLiteral("Screen Saver Audio Files");

QString with_slash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}
} // namespace

frm_audio::frm_audio(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Edit Screen Saver Audio Files ( .wav .mid )"));
    guard_ = new handler_guard(this);

    const QFont arial(QStringLiteral("Arial"), font().pointSize());
    Drive1 = new drive_list_box(this);
    Dir1 = new dir_list_box(this);
    Dir1->setFont(arial);
    Label1 = new QLabel(QStringLiteral("Double Click On A File To Preview It"), this);
    File1 = new file_list_box(this);
    File1->setFont(arial);
    Command5 = new QPushButton(QStringLiteral("&Remove Selected File(s)"), this);
    Command5->setToolTip(QStringLiteral(" Removes the selected audio files from the playback list "));
    Command1 = new QPushButton(QStringLiteral("Add &Selected File(s)"), this);
    Command1->setToolTip(QStringLiteral(" Add the audio files that are currently selected "));
    Command2 = new QPushButton(QStringLiteral("Add &All File(s)"), this);
    Command2->setToolTip(QStringLiteral(" Add all audio files from this directory "));
    Label2 = new QLabel(QStringLiteral("List of audio files to play during the screen saver:"), this);
    List2 = new list_box(this);
    List2->setFont(arial);
    List2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    List2->setToolTip(QStringLiteral("This is a list of music files to play during the screen saver "));
    Command6 = new QPushButton(QStringLiteral("&Cancel"), this);
    Command6->setToolTip(QStringLiteral(" Exit without saving changes "));
    Command3 = new QPushButton(QStringLiteral("Save And &Exit"), this);
    Command3->setToolTip(QStringLiteral(" Save any changes and exit "));

    // Upper left the volume above its folders, upper right the files; the
    // buttons across the middle; the list below, Cancel above Save at its right.
    auto *grid = new QGridLayout(this);
    grid->addWidget(Drive1, 0, 0);
    grid->addWidget(Label1, 0, 1, Qt::AlignBottom);
    grid->addWidget(Dir1, 1, 0);
    grid->addWidget(File1, 1, 1);
    auto *middle = new QHBoxLayout;
    middle->addWidget(Command5);
    middle->addWidget(Command1);
    middle->addWidget(Command2);
    middle->addStretch(1);
    grid->addLayout(middle, 2, 0, 1, 2);
    auto *lower = new QVBoxLayout;
    lower->addWidget(Label2);
    lower->addWidget(List2, 1);
    auto *closing = new QVBoxLayout;
    closing->addStretch(1);
    closing->addWidget(Command6);
    closing->addWidget(Command3);
    auto *bottom = new QHBoxLayout;
    bottom->addLayout(lower, 1);
    bottom->addLayout(closing);
    grid->addLayout(bottom, 3, 0, 1, 2);
    grid->setRowStretch(1, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);

    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Command5);
    setTabOrder(Command5, Command1);
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, List2);
    setTabOrder(List2, Command6);
    setTabOrder(Command6, Command3);
    for (QAbstractScrollArea *list : std::initializer_list<QAbstractScrollArea *>{Dir1, File1, List2})
        editor_window::keep_rows(list, 4);
    editor_window::prepare_buttons(this);
    editor_window::size_client(this, k_client_width_twips, k_client_height_twips);

    connect(Drive1, &drive_list_box::Change, this, [this] { Drive1_Change(); });
    connect(Dir1, &dir_list_box::Change, this, [this] { Dir1_Change(); });
    connect(Dir1, &dir_list_box::Click, this, [this](const QString &folder) { Dir1_Click(folder); });
    connect(Dir1, &dir_list_box::PathFailed, this, [this] { show_home(); });
    connect(File1, &QListWidget::itemDoubleClicked, this, [this] { File1_DblClick(); });
    connect(File1, &list_box::EnterPressed, this, [this] { File1_DblClick(); });
    connect(List2, &QListWidget::itemDoubleClicked, this, [this] { List2_DblClick(); });
    connect(List2, &list_box::EnterPressed, this, [this] { List2_DblClick(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
    connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
    connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });

    Form_Load();
}

frm_audio::~frm_audio()
{
    // Destroyed without being closed: the preview still ends and the folder is kept.
    if (!unloaded_) {
        unloaded_ = true;
        MMControl1.Command(QStringLiteral("Close"));
        bas_shellcode::audio_browse_folder = with_slash(File1->path());
    }
}

void frm_audio::play_audio(const QString &file)
{
    MMControl1.Command(QStringLiteral("Close"));
    MMControl1.Wait = false; // "Play" returns at once; the sound plays in the background
    MMControl1.Repeat = false;
    MMControl1.DeviceType = file.right(3).toUpper() == QLatin1String("WAV") ? QStringLiteral("WaveAudio")
                                                                           : QStringLiteral("Sequencer");
    MMControl1.FileName = file;
    MMControl1.Command(QStringLiteral("Open"));
    MMControl1.Command(QStringLiteral("Play"));
}

void frm_audio::do_audio()
{
    // Without a current file there is nothing to play (the folder alone is no sound).
    const QString name = File1->FileName();
    if (name.isEmpty())
        return;
    play_audio(path_in_folder(File1->path(), name));
}

bool frm_audio::show_folder(const QString &folder)
{
    if (!Dir1->set_path(folder))
        return false;
    Drive1->set_drive(Dir1->path());
    return true;
}

void frm_audio::show_home()
{
    if (!show_folder(QDir::homePath()))
        show_folder(QDir::rootPath());
}

void frm_audio::Form_Load()
{
    File1->set_pattern(k_pattern);
    const QStringList volumes = platform::mounted_volumes();
    Drive1->set_volumes(volumes);
    Dir1->set_volumes(volumes);
    // A browse folder that has gone since (or cannot be read) gives the home folder.
    if (!show_folder(bas_shellcode::audio_browse_folder))
        show_home();
    bas_usercode::load_audio_files();
    for (int i = 1; i <= bas_usercode::audio_count; ++i)
        List2->addItem(bas_usercode::audio_list[static_cast<std::size_t>(i)]);
    (void)guard_->do_events();
}

void frm_audio::Drive1_Change()
{
    if (Dir1->set_path(Drive1->drive()))
        return;
    // A volume that cannot be read: back to the folder the editor opened with.
    if (!show_folder(bas_shellcode::audio_browse_folder))
        show_home();
}

void frm_audio::Dir1_Change()
{
    if (!File1->set_path(Dir1->path()))
        File1->clear();
}

void frm_audio::Dir1_Click(const QString &folder)
{
    if (!File1->set_path(folder))
        show_home();
}

void frm_audio::File1_DblClick()
{
    do_audio();
}

void frm_audio::List2_DblClick()
{
    if (const QListWidgetItem *line = List2->currentItem())
        play_audio(line->text());
}

void frm_audio::Command1_Click()
{
    add_files(true);
}

void frm_audio::Command2_Click()
{
    add_files(false);
}

void frm_audio::add_files(bool selected_only)
{
    if (File1->count() == 0)
        return;
    // The walk works on what File1 showed when the button was pressed.
    const QString folder = File1->path();
    QStringList names;
    QList<bool> selected;
    for (int i = 0; i < File1->count(); ++i) {
        names << File1->item(i)->text();
        selected << File1->item(i)->isSelected();
    }
    for (int i = 0; i < names.size(); ++i) {
        if (List2->count() > bas_usercode::k_audio_capacity - 1) {
            if (!guard_->message_box(QStringLiteral("Maximum of 500 Audio Files Reached!"), k_title))
                return;
            continue;
        }
        if (selected_only && !selected[i])
            continue;
        const QString entry = path_in_folder(folder, names[i]);
        if (!bas_usercode::list_entry_storable(entry)) {
            if (!guard_->message_box(editor_window::unstorable_file_message(entry), k_title))
                return;
            continue;
        }
        List2->addItem(entry);
    }
    List2->scrollToBottom();
    (void)guard_->do_events();
}

void frm_audio::Command5_Click()
{
    if (List2->count() == 0)
        return;
    for (int i = List2->count() - 1; i >= 0; --i)
        if (List2->item(i)->isSelected())
            delete List2->takeItem(i);
    List2->setCurrentRow(-1);
}

void frm_audio::Command3_Click()
{
    using namespace bas_usercode;
    // Adding stops at the capacity, so the list always fits the table.
    const int n = std::min(List2->count(), k_audio_capacity);
    audio_count = n;
    for (int i = 1; i <= n; ++i)
        audio_list[static_cast<std::size_t>(i)] = List2->item(i - 1)->text();
    save_audio_files();
    accept();
}

void frm_audio::Command6_Click()
{
    reject();
}

void frm_audio::Form_Unload()
{
    const QString shown = File1->path();
    MMControl1.Command(QStringLiteral("Close"));
    (void)guard_->do_events();
    // Kept for the next opening in this run, however this one ends.
    bas_shellcode::audio_browse_folder = with_slash(shown);
}

void frm_audio::done(int result)
{
    if (!unloaded_) {
        unloaded_ = true;
        const QPointer<frm_audio> alive(this);
        Form_Unload();
        if (!alive)
            return;
    }
    QDialog::done(result);
}

void frm_audio::keyPressEvent(QKeyEvent *e)
{
    if (!editor_window::handle_dialog_key(this, e))
        QDialog::keyPressEvent(e);
}
