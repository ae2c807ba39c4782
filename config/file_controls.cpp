#include "config/file_controls.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {
constexpr int k_path_role = Qt::UserRole;

QString with_slash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

bool is_enter(const QKeyEvent *e)
{
    return (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}
} // namespace

QString clean_folder(const QString &folder)
{
    return QDir::cleanPath(QDir::fromNativeSeparators(folder));
}

QString path_in_folder(const QString &folder, const QString &name)
{
    return QDir::toNativeSeparators(with_slash(QDir::fromNativeSeparators(folder)) + name);
}

bool folder_readable(const QString &folder)
{
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isReadable() && info.isExecutable();
}

list_box::list_box(QWidget *parent) : QListWidget(parent) {}

void list_box::keyPressEvent(QKeyEvent *e)
{
    if (is_enter(e)) {
        e->accept();
        emit EnterPressed();
        return;
    }
    QListWidget::keyPressEvent(e);
}

drive_list_box::drive_list_box(QWidget *parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this] { emit Change(); });
}

void drive_list_box::set_volumes(const QStringList &roots)
{
    volumes_ = roots;
    clear();
    for (const QString &root : roots)
        addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), QDir::toNativeSeparators(root), root);
}

void drive_list_box::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect text = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const int room = text.width() - (option.currentIcon.isNull() ? 0 : option.iconSize.width() + 4);
    option.currentText = fontMetrics().elidedText(option.currentText, Qt::ElideMiddle, room);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

QString drive_list_box::drive() const
{
    return currentData(k_path_role).toString();
}

bool drive_list_box::set_drive(const QString &path)
{
    const QString folder = with_slash(clean_folder(path));
    int best = -1;
    for (int i = 0; i < volumes_.size(); ++i)
        if (folder.startsWith(volumes_[i]) && (best < 0 || volumes_[i].size() > volumes_[best].size()))
            best = i;
    if (best < 0)
        return false;
    setCurrentIndex(best);
    return true;
}

dir_list_box::dir_list_box(QWidget *parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setExpandsOnDoubleClick(false);
    setIndentation(12);
    setUniformRowHeights(true);
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { clicked(item); });
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) { open(item); });
}

QString dir_list_box::folder_of(const QTreeWidgetItem *item) const
{
    return item ? item->data(0, k_path_role).toString() : path_;
}

QTreeWidgetItem *dir_list_box::item_for(const QString &folder) const
{
    const QString wanted = clean_folder(folder);
    for (QTreeWidgetItemIterator it(const_cast<dir_list_box *>(this)); *it; ++it)
        if (folder_of(*it) == wanted)
            return *it;
    return nullptr;
}

bool dir_list_box::set_path(const QString &folder)
{
    const QString target = clean_folder(folder);
    if (!folder_readable(target))
        return false;

    // The way down starts at the root of the volume that holds the folder.
    QString root = QStringLiteral("/");
    for (const QString &volume : volumes_) {
        const QString v = clean_folder(volume);
        if ((with_slash(target).startsWith(with_slash(v))) && v.size() > root.size())
            root = v;
    }
#ifdef Q_OS_WIN
    if (!target.startsWith(root, Qt::CaseInsensitive))
        root = target.left(3);
#endif

    QStringList chain{root};
    const QString below = target.mid(with_slash(root).size());
    QString walked = root;
    for (const QString &part : below.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        walked = with_slash(walked) + part;
        chain << walked;
    }

    const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed_icon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    clear();
    QTreeWidgetItem *parent_item = nullptr;
    for (int i = 0; i < chain.size(); ++i) {
        const QString text = i == 0 ? QDir::toNativeSeparators(with_slash(root)) : QFileInfo(chain[i]).fileName();
        auto *item = parent_item ? new QTreeWidgetItem(parent_item) : new QTreeWidgetItem(this);
        item->setText(0, text);
        item->setIcon(0, open_icon);
        item->setData(0, k_path_role, chain[i]);
        parent_item = item;
    }
    const QStringList subfolders =
        QDir(target).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString &name : subfolders) {
        auto *item = new QTreeWidgetItem(parent_item);
        item->setText(0, name);
        item->setIcon(0, closed_icon);
        item->setData(0, k_path_role, with_slash(target) + name);
    }
    expandAll();
    setCurrentItem(parent_item);
    scrollToItem(parent_item);
    path_ = target;
    emit Change();
    return true;
}

// A click or a double-click may rebuild the lines, so it is answered after the
// view has finished with the mouse or key event that made it.
void dir_list_box::clicked(QTreeWidgetItem *item)
{
    if (!item)
        return;
    QMetaObject::invokeMethod(this, [this, folder = folder_of(item)] { emit Click(folder); }, Qt::QueuedConnection);
}

void dir_list_box::open(QTreeWidgetItem *item)
{
    if (!item)
        return;
    QMetaObject::invokeMethod(
        this,
        [this, folder = folder_of(item)] {
            if (!set_path(folder))
                emit PathFailed(folder);
        },
        Qt::QueuedConnection);
}

void dir_list_box::keyPressEvent(QKeyEvent *e)
{
    if (is_enter(e)) {
        e->accept();
        open(currentItem());
        return;
    }
    QTreeWidgetItem *before = currentItem();
    QTreeWidget::keyPressEvent(e);
    if (currentItem() != before)
        clicked(currentItem());
}

file_list_box::file_list_box(QWidget *parent) : list_box(parent)
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void file_list_box::set_pattern(const QString &pattern)
{
    pattern_ = pattern;
    if (!path_.isEmpty())
        refresh();
}

bool file_list_box::set_path(const QString &folder)
{
    const QString target = clean_folder(folder);
    if (!folder_readable(target))
        return false;
    QDir dir(target);
    dir.setNameFilters(pattern_.split(QLatin1Char(';'), Qt::SkipEmptyParts));
    // No CaseSensitive flag: "*.wav" also lists "SONG.WAV".
    dir.setFilter(QDir::Files);
    dir.setSorting(QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    const QStringList names = dir.entryList();
    clear();
    addItems(names);
    path_ = target;
    return true;
}

QString file_list_box::FileName() const
{
    const QListWidgetItem *item = currentItem();
    return item ? item->text() : QString();
}
