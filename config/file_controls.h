#pragma once
// The drive, folder and file lists of the audio files editor, in the manner of
// the classic file controls: the drive list names the mounted volumes, the folder
// list shows the way from the volume's root down to the current folder and the
// folders inside it, the file list the files of one folder that match a pattern.
// All three read the disk when they are told to, never in the background, so
// what they show is settled when the call returns.
#include <QComboBox>
#include <QListWidget>
#include <QTreeWidget>

// A list box that reports Enter, the keyboard's double-click.
class list_box : public QListWidget
{
    Q_OBJECT
public:
    explicit list_box(QWidget *parent = nullptr);

signals:
    void EnterPressed();

protected:
    void keyPressEvent(QKeyEvent *e) override;
};

class drive_list_box : public QComboBox
{
    Q_OBJECT
public:
    explicit drive_list_box(QWidget *parent = nullptr);

    // The volume roots, each ending in '/'.
    void set_volumes(const QStringList &roots);
    QStringList volumes() const { return volumes_; }
    // The root of the chosen volume, ending in '/'.
    QString drive() const;
    // Chooses the volume that holds `path` (without a change notice); false
    // when no listed volume holds it.
    bool set_drive(const QString &path);

signals:
    // The user chose a volume.
    void Change();

protected:
    // A long mount point is shortened in its middle rather than cut off.
    void paintEvent(QPaintEvent *e) override;

private:
    QStringList volumes_;
};

class dir_list_box : public QTreeWidget
{
    Q_OBJECT
public:
    explicit dir_list_box(QWidget *parent = nullptr);

    // The volume roots the way down starts from.
    void set_volumes(const QStringList &roots) { volumes_ = roots; }
    // The current folder, without a trailing separator (except "/").
    QString path() const { return path_; }
    // Shows `folder` as the current folder and sends Change; false (and nothing
    // changes) when it does not exist or cannot be read.
    bool set_path(const QString &folder);
    // The folder of a line; the current folder for none.
    QString folder_of(const QTreeWidgetItem *item) const;
    QTreeWidgetItem *item_for(const QString &folder) const;

signals:
    void Change();
    // A line was clicked, or reached with the arrow keys.
    void Click(const QString &folder);
    // A folder opened by double-click or Enter could not be shown.
    void PathFailed(const QString &folder);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    // The folders are always open: no expand marks.
    void drawBranches(QPainter *, const QRect &, const QModelIndex &) const override {}

private:
    void clicked(QTreeWidgetItem *item);
    void open(QTreeWidgetItem *item);

    QStringList volumes_;
    QString path_;
};

class file_list_box : public list_box
{
    Q_OBJECT
public:
    explicit file_list_box(QWidget *parent = nullptr);

    // Patterns separated by ';' ("*.mid;*.wav"); they match any letter case.
    void set_pattern(const QString &pattern);
    QString pattern() const { return pattern_; }
    // The folder shown, without a trailing separator (except "/").
    QString path() const { return path_; }
    // Lists the matching files of `folder` in name order; false (and nothing
    // changes) when it does not exist or cannot be read.
    bool set_path(const QString &folder);
    // Lists the folder again.
    void refresh() { set_path(path_); }
    // The name of the current file; empty when none is current.
    QString FileName() const;

private:
    QString pattern_;
    QString path_;
};

// `folder` followed by `name` with exactly one separator between them, in the
// system's own separators.
QString path_in_folder(const QString &folder, const QString &name);
// A folder as the lists keep it: clean, no trailing separator except for a root.
QString clean_folder(const QString &folder);
// True when the folder exists and its contents can be listed.
bool folder_readable(const QString &folder);
