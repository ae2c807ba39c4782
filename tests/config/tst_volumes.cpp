// The volumes of the drive list, read from a mount table.
#include "platform/volumes.h"

#include <QtTest>

class tst_volumes : public QObject
{
    Q_OBJECT

private slots:
    void from_mount_table_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("home");
        QTest::addColumn<QStringList>("volumes");

        const QString desktop = QStringLiteral(
            "sysfs /sys sysfs rw,nosuid 0 0\n"
            "proc /proc proc rw 0 0\n"
            "udev /dev devtmpfs rw 0 0\n"
            "tmpfs /run tmpfs rw 0 0\n"
            "/dev/nvme0n1p2 / ext4 rw 0 0\n"
            "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
            "/dev/nvme0n1p1 /boot/efi vfat rw 0 0\n"
            "/dev/nvme0n1p3 /home ext4 rw 0 0\n"
            "/dev/loop3 /snap/core22/864 squashfs ro 0 0\n"
            "tmpfs /run/user/1000 tmpfs rw 0 0\n"
            "gvfsd-fuse /run/user/1000/gvfs fuse.gvfsd-fuse rw 0 0\n"
            "/dev/sdb1 /media/ann/MY\\040MUSIC vfat rw 0 0\n"
            "/dev/sr0 /media/ann/CD iso9660 ro 0 0\n"
            "/dev/sdc1 /mnt/backup ext4 rw 0 0\n"
            "tmpfs /mnt/scratch tmpfs rw 0 0\n");
        QTest::newRow("desktop") << desktop << "/home/ann"
                                 << QStringList{"/", "/home/", "/media/ann/CD/", "/media/ann/MY MUSIC/", "/mnt/backup/"};
        QTest::newRow("home on the root volume")
            << "/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 /run/media/bob/STICK exfat rw 0 0\n" << "/home/bob"
            << QStringList{"/", "/run/media/bob/STICK/"};
        // A container: the root is an overlay and the home folder sits on a tmpfs; both stay.
        QTest::newRow("container") << "overlay / overlay rw 0 0\ntmpfs /root tmpfs rw 0 0\nproc /proc proc rw 0 0\n"
                                   << "/root" << QStringList{"/", "/root/"};
        // A later mount over the same point hides the earlier one.
        QTest::newRow("mounted over") << "/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 /media/x vfat rw 0 0\ntmpfs /media/x tmpfs rw 0 0\n"
                                      << "/home/x" << QStringList{"/"};
        QTest::newRow("empty table") << "" << "/home/x" << QStringList{"/"};
    }
    void from_mount_table()
    {
        QFETCH(QString, table);
        QFETCH(QString, home);
        QFETCH(QStringList, volumes);
        QCOMPARE(platform::volumes_from_mount_table(table, home), volumes);
    }

    void volume_of_a_path()
    {
        const QStringList volumes{"/", "/home/", "/home/ann/stick/"};
        QCOMPARE(platform::volume_of("/home/ann/Music", volumes), QStringLiteral("/home/"));
        QCOMPARE(platform::volume_of("/home/ann/stick", volumes), QStringLiteral("/home/ann/stick/"));
        QCOMPARE(platform::volume_of("/home/ann/sticky", volumes), QStringLiteral("/home/"));
        QCOMPARE(platform::volume_of("/usr/share", volumes), QStringLiteral("/"));
        QCOMPARE(platform::volume_of("relative", volumes), QString());
    }

    void this_machine()
    {
        // The real table always gives the root first.
        const QStringList volumes = platform::mounted_volumes();
        QVERIFY(!volumes.isEmpty());
        QCOMPARE(volumes.front(), QStringLiteral("/"));
        for (const QString &v : volumes)
            QVERIFY2(!v.startsWith("/proc") && !v.startsWith("/sys/"), qPrintable(v));
    }
};

QTEST_MAIN(tst_volumes)
#include "tst_volumes.moc"
