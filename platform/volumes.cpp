#include "platform/volumes.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>

namespace platform {

namespace {
std::function<QStringList()> g_source;

#ifdef Q_OS_WIN
constexpr Qt::CaseSensitivity k_path_case = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity k_path_case = Qt::CaseSensitive;
#endif

QString with_slash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

// Mount points in the table write blanks, tabs, newlines and backslashes as
// three-digit octal escapes (\040 for a blank).
QString unescape_mount_point(const QString &field)
{
    QString out;
    for (int i = 0; i < field.size(); ++i) {
        if (field[i] == QLatin1Char('\\') && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

bool is_pseudo(const QString &type)
{
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),        QStringLiteral("sysfs"),       QStringLiteral("devtmpfs"),
        QStringLiteral("devpts"),      QStringLiteral("tmpfs"),       QStringLiteral("ramfs"),
        QStringLiteral("cgroup"),      QStringLiteral("cgroup2"),     QStringLiteral("securityfs"),
        QStringLiteral("pstore"),      QStringLiteral("bpf"),         QStringLiteral("debugfs"),
        QStringLiteral("tracefs"),     QStringLiteral("mqueue"),      QStringLiteral("hugetlbfs"),
        QStringLiteral("configfs"),    QStringLiteral("fusectl"),     QStringLiteral("autofs"),
        QStringLiteral("binfmt_misc"), QStringLiteral("nsfs"),        QStringLiteral("rpc_pipefs"),
        QStringLiteral("efivarfs"),    QStringLiteral("selinuxfs"),   QStringLiteral("squashfs"),
        QStringLiteral("overlay"),     QStringLiteral("nfsd"),        QStringLiteral("fuse.gvfsd-fuse"),
        QStringLiteral("fuse.portal"), QStringLiteral("fuse.snapfuse"), QStringLiteral("devfs"),
    };
    return pseudo.contains(type);
}

// True when `path` is `root` or lies inside it (both with a trailing '/').
bool inside(const QString &path, const QString &root)
{
    return path.startsWith(root);
}

QStringList system_volumes()
{
#ifdef Q_OS_LINUX
    QFile table(QStringLiteral("/proc/self/mounts"));
    if (table.open(QIODevice::ReadOnly))
        return volumes_from_mount_table(QString::fromLocal8Bit(table.readAll()), QDir::homePath());
#endif
    QStringList roots;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady())
            roots << with_slash(volume.rootPath());
    std::sort(roots.begin(), roots.end());
    roots.removeDuplicates();
    return roots;
}
} // namespace

QStringList volumes_from_mount_table(const QString &table, const QString &home)
{
    struct mount
    {
        QString root;
        QString type;
    };
    QList<mount> mounts;
    for (const QString &line : table.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 3)
            continue;
        const QString root = with_slash(unescape_mount_point(fields[1]));
        if (!root.startsWith(QLatin1Char('/')))
            continue;
        // A later mount on the same point hides the earlier one.
        mounts.erase(std::remove_if(mounts.begin(), mounts.end(), [&](const mount &m) { return m.root == root; }),
                     mounts.end());
        mounts.append({root, fields[2]});
    }

    QStringList roots{QStringLiteral("/")};
    // The home folder's volume, whatever its type: it is where the user's files are.
    const QString home_path = with_slash(QDir::cleanPath(home));
    QString home_root = QStringLiteral("/");
    for (const mount &m : mounts)
        if (inside(home_path, m.root) && m.root.size() > home_root.size())
            home_root = m.root;
    if (!roots.contains(home_root))
        roots << home_root;
    // Removable media and extra disks are mounted under these folders.
    static const QStringList media = {QStringLiteral("/media/"), QStringLiteral("/run/media/"),
                                      QStringLiteral("/mnt/")};
    for (const mount &m : mounts) {
        if (is_pseudo(m.type) || roots.contains(m.root))
            continue;
        if (std::any_of(media.begin(), media.end(), [&](const QString &top) { return inside(m.root, top) && m.root != top; }))
            roots << m.root;
    }
    std::sort(roots.begin() + 1, roots.end());
    return roots;
}

QStringList mounted_volumes()
{
    return g_source ? g_source() : system_volumes();
}

QString volume_of(const QString &path, const QStringList &volumes)
{
    const QString folder = with_slash(path);
    QString best;
    for (const QString &root : volumes)
        if (folder.startsWith(with_slash(root), k_path_case) && root.size() > best.size())
            best = root;
    return best;
}

void set_volume_source(std::function<QStringList()> source)
{
    g_source = std::move(source);
}

} // namespace platform
