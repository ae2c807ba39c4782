#pragma once
// The volumes a user can pick sound files from, in the manner of a drive list:
// the root, the volume of the home folder and mounted removable media. Pseudo
// file systems (proc, sysfs, tmpfs, cgroup, snap images ...) are left out.
#include <QString>
#include <QStringList>
#include <functional>

namespace platform {

// The roots of the volumes, each ending in '/', the root of the whole tree
// first, the others in path order.
QStringList mounted_volumes();

// The volumes named by a mount table in the format of /proc/self/mounts
// (device, mount point with octal escapes, type, ...), for a user whose home
// folder is `home`.
QStringList volumes_from_mount_table(const QString &table, const QString &home);

// The root of the volume among `volumes` that holds `path` (the longest root
// that is a leading folder of it); empty when none does.
QString volume_of(const QString &path, const QStringList &volumes);

// Tests replace the system's mount table (an empty function restores it).
void set_volume_source(std::function<QStringList()> source);

} // namespace platform
