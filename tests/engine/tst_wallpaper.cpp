#include "engine/frm_screensaver.h"
#include "engine_fixture.h"
#include "platform/wallpaper.h"
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QtTest>

using test_engine::fixture;

class tst_wallpaper : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { test_env::isolate_profile(); }

    void picture_is_scene_plus_sprites()
    {
        fixture f(100, 80);
        f.eng.background_copy.fill(0xff406080u);
        // Image 7: a 3 x 3 white square at its top-left, masked; image 68: one dim pixel.
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x) {
                f.eng.sprite.set_pixel(521 + x, 3 + y, 0xffffffffu);
                f.eng.mask.set_pixel(521 + x, 3 + y, 0xff000000u);
            }
        f.eng.sprite.set_pixel(340, 516, 0xff000001u);

        platform::surface plain;
        f.eng.compose_wallpaper(plain);
        QCOMPARE(plain.image(), f.eng.background_copy.image()); // no sprites: the scene itself

        f.place(1, 7, 98.5, 10); // rounds to 98: cut at the right edge
        f.place(2, 68, 50, 50, 12, 0);
        f.eng.sprite_masked[2] = 0;
        f.eng.ascreen.fill(0xffff0000u); // nothing of the screen (captions, clock) is used
        platform::surface picture;
        f.eng.compose_wallpaper(picture);
        QCOMPARE(picture.width(), 100);
        QCOMPARE(picture.pixel(98, 10), 0xffffffffu);
        QCOMPARE(picture.pixel(99, 12), 0xffffffffu);
        QCOMPARE(picture.pixel(97, 10), 0xff406080u);
        QCOMPARE(picture.pixel(50, 50), 0xff406081u); // a star only brightens
        QCOMPARE(picture.pixel(51, 50), 0xff406080u);
    }

    void bitmap_replaces_the_old_file_whole()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("Zentara Image.bmp");
        platform::surface a(40, 30), b(64, 48);
        a.fill(0xff112233u);
        b.fill(0xff445566u);
        QVERIFY(engine::scene_engine::write_bitmap(a, file));
        QVERIFY(engine::scene_engine::write_bitmap(b, file));
        QImage read(file, "BMP");
        QCOMPARE(read.size(), QSize(64, 48));
        QCOMPARE(read.pixel(5, 5), 0xff445566u);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"Zentara Image.bmp"});
        QVERIFY(!engine::scene_engine::write_bitmap(b, dir.filePath("missing/Zentara Image.bmp")));
    }

    void desktop_mechanisms_data()
    {
        QTest::addColumn<QString>("desktop");
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QStringList>("commands");
        const QString p = "/home/u/.local/share/Krelix Zentara/Zentara Image.bmp";
        const QString uri = "file:///home/u/.local/share/Krelix%20Zentara/Zentara%20Image.bmp";
        QTest::newRow("GNOME") << "GNOME" << QStringList{}
            << QStringList{"gsettings set org.gnome.desktop.background picture-uri " + uri,
                           "gsettings set org.gnome.desktop.background picture-uri-dark " + uri};
        QTest::newRow("Ubuntu") << "ubuntu:GNOME" << QStringList{}
            << QStringList{"gsettings set org.gnome.desktop.background picture-uri " + uri,
                           "gsettings set org.gnome.desktop.background picture-uri-dark " + uri};
        QTest::newRow("Cinnamon") << "X-Cinnamon" << QStringList{}
            << QStringList{"gsettings set org.cinnamon.desktop.background picture-uri " + uri};
        QTest::newRow("MATE") << "MATE" << QStringList{}
            << QStringList{"gsettings set org.mate.background picture-filename " + p};
        QTest::newRow("KDE") << "KDE" << QStringList{} << QStringList{"plasma-apply-wallpaperimage " + p};
        QTest::newRow("Xfce") << "XFCE" << QStringList{}
            << QStringList{"xfconf-query -c xfce4-desktop -l",
                           "xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorHDMI-1/workspace0/last-image -s " + p,
                           "xfconf-query -c xfce4-desktop -p /backdrop/screen0/monitorHDMI-1/workspace1/last-image -s " + p};
        QTest::newRow("bare X with feh") << "" << QStringList{"feh", "xwallpaper"}
            << QStringList{"feh --bg-fill " + p};
        QTest::newRow("bare X with xwallpaper") << "" << QStringList{"xwallpaper"} << QStringList{"xwallpaper --zoom " + p};
        QTest::newRow("nothing to use") << "" << QStringList{} << QStringList{};
    }
    void desktop_mechanisms()
    {
        QFETCH(QString, desktop);
        QFETCH(QStringList, installed);
        QFETCH(QStringList, commands);
        QStringList ran;
        platform::command_runner runner;
        runner.available = [&](const QString &program) { return installed.contains(program); };
        runner.run = [&](const QString &program, const QStringList &args) {
            ran << (QStringList{program} + args).join(' ');
            if (args.contains("-l"))
                return QString("/backdrop/screen0/monitorHDMI-1/workspace0/color-style\n"
                               "/backdrop/screen0/monitorHDMI-1/workspace0/last-image\n"
                               "/backdrop/screen0/monitorHDMI-1/workspace1/last-image\n");
            return QString();
        };
        platform::set_wallpaper("/home/u/.local/share/Krelix Zentara/Zentara Image.bmp", desktop, runner);
        QCOMPARE(ran, commands);
    }

    void closing_saver_leaves_its_last_frame()
    {
        qputenv("XDG_CURRENT_DESKTOP", "none");
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
        bas_shellcode::save_setting("install_path", "/opt/zentara/sounds/");
        bas_shellcode::save_setting("save_as_wallpaper", "1");
        const QString file = bas_shellcode::windows_dir + "Zentara Image.bmp";
        QFile::remove(file);
        frm_screensaver w;
        QTimer keys;
        connect(&keys, &QTimer::timeout, &w, [&] { QTest::keyClick(w.ascreen, Qt::Key_Return); });
        keys.start(500);
        w.show_saver();
        QTRY_VERIFY_WITH_TIMEOUT(!bas_shellcode::saver_active, 10000);
        QImage left(file, "BMP");
        QCOMPARE(left.size(), QGuiApplication::primaryScreen()->geometry().size());
        bas_shellcode::save_setting("save_as_wallpaper", "0");
    }
};

QTEST_MAIN(tst_wallpaper)
#include "tst_wallpaper.moc"
