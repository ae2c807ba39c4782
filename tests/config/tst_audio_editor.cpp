// The audio files editor, driven through its real widgets, its real message
// boxes and its real media device (on SDL's dummy sound driver).
#include "box_closer.h"
#include "config/file_controls.h"
#include "config/frm_audio.h"
#include "platform/sound_fixtures.h"
#include "platform/volumes.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "test_env.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using platform::media_device;

namespace {
QByteArray file_bytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList numbered(int n)
{
    QStringList lines;
    for (int i = 1; i <= n; ++i)
        lines << QStringLiteral("/sounds/line%1.wav").arg(i);
    return lines;
}

void write_audio_list(const QStringList &lines)
{
    QFile f(bas_usercode::audio_files_file());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    for (const QString &line : lines)
        f.write(line.toLocal8Bit() + "\r\n");
}

// A folder of empty files (and subfolders, for names ending in '/').
QString make_folder(const QString &path, const QStringList &names)
{
    QDir().mkpath(path);
    for (const QString &name : names) {
        if (name.endsWith('/')) {
            QDir(path).mkpath(name);
            continue;
        }
        QFile f(QDir(path).filePath(name));
        f.open(QIODevice::WriteOnly);
    }
    return path;
}

QStringList lines_of(const QListWidget *list)
{
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

void click_row(QListWidget *list, int row, Qt::KeyboardModifiers mods = {})
{
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, mods, list->visualItemRect(list->item(row)).center());
}

void double_click_row(QListWidget *list, int row)
{
    list->scrollToItem(list->item(row));
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// A mnemonic presses its button the way a click does, a moment later.
void press(QWidget *window, Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window, key, Qt::AltModifier);
    QTest::qWait(300);
}
} // namespace

class tst_audio_editor : public QObject
{
    Q_OBJECT

    QTemporaryDir root_;
    QString music_; // five sound files and a few others

private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
        music_ = make_folder(root_.filePath("music"), {"a.wav", "B.WAV", "c.Mid", "d.rmi", "e.Wav", "f.mp3",
                                                         "notes.txt", ".hidden.wav", "folder.wav/", "deeper/"});
    }

    void init()
    {
        platform::set_volume_source([this] { return QStringList{"/", root_.path() + "/"}; });
        bas_shellcode::audio_browse_folder = music_ + "/";
        write_audio_list({"/sounds/first.wav", "/sounds/second.mid"});
    }

    void texts_layout_and_keys()
    {
        frm_audio editor;
        QCOMPARE(editor.windowTitle(), QStringLiteral("Edit Screen Saver Audio Files ( .wav .mid )"));
        QCOMPARE(editor.Label1->text(), QStringLiteral("Double Click On A File To Preview It"));
        QCOMPARE(editor.Label2->text(), QStringLiteral("List of audio files to play during the screen saver:"));
        QCOMPARE(editor.List2->toolTip(), QStringLiteral("This is a list of music files to play during the screen saver "));
        const QList<std::tuple<QPushButton *, const char *, const char *>> buttons = {
            {editor.Command5, "&Remove Selected File(s)", " Removes the selected audio files from the playback list "},
            {editor.Command1, "Add &Selected File(s)", " Add the audio files that are currently selected "},
            {editor.Command2, "Add &All File(s)", " Add all audio files from this directory "},
            {editor.Command3, "Save And &Exit", " Save any changes and exit "},
            {editor.Command6, "&Cancel", " Exit without saving changes "},
        };
        for (const auto &[button, text, tip] : buttons) {
            QCOMPARE(button->text(), QString::fromLatin1(text));
            QCOMPARE(button->toolTip(), QString::fromLatin1(tip));
        }
        QCOMPARE(editor.File1->pattern(), QStringLiteral("*.mid;*.rmi;*.wav"));
        QCOMPARE(editor.File1->selectionMode(), QAbstractItemView::ExtendedSelection);
        QCOMPARE(editor.List2->selectionMode(), QAbstractItemView::ExtendedSelection);
        QVERIFY(!editor.List2->isSortingEnabled());
        for (QWidget *list : {static_cast<QWidget *>(editor.Dir1), static_cast<QWidget *>(editor.File1),
                              static_cast<QWidget *>(editor.List2)})
            QCOMPARE(QFontInfo(list->font()).family(), QFontInfo(QFont("Arial")).family());
        QCOMPARE(lines_of(editor.List2), (QStringList{"/sounds/first.wav", "/sounds/second.mid"}));
        // The browse folder is shown, its volume chosen; the pattern matches any letter case.
        QCOMPARE(editor.Dir1->path(), music_);
        QCOMPARE(editor.Drive1->drive(), root_.path() + "/");
        QCOMPARE(lines_of(editor.File1), (QStringList{"a.wav", "B.WAV", "c.Mid", "d.rmi", "e.Wav"}));

        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QVERIFY(editor.width() >= 447 && editor.height() >= 262);
        for (QWidget *w : editor.findChildren<QWidget *>())
            if (qobject_cast<QPushButton *>(w) || qobject_cast<QLabel *>(w))
                QVERIFY2(w->width() >= w->sizeHint().width() && w->height() >= w->sizeHint().height(),
                         qPrintable(w->property("text").toString()));
        const auto box = [](QWidget *w) { return w->geometry(); };
        QVERIFY(box(editor.Drive1).bottom() < box(editor.Dir1).top());
        QVERIFY(box(editor.Label1).bottom() < box(editor.File1).top());
        QVERIFY(box(editor.Dir1).right() < box(editor.File1).left());
        QVERIFY(box(editor.Dir1).bottom() < box(editor.Command5).top());
        QVERIFY(box(editor.Command5).right() < box(editor.Command1).left());
        QVERIFY(box(editor.Command1).right() < box(editor.Command2).left());
        QVERIFY(box(editor.Command5).bottom() < box(editor.Label2).top());
        QVERIFY(box(editor.Label2).bottom() < box(editor.List2).top());
        QVERIFY(box(editor.List2).right() < box(editor.Command6).left());
        QVERIFY(box(editor.Command6).bottom() < box(editor.Command3).top());

        // Tab walks top to bottom.
        editor.Drive1->setFocus();
        QList<QWidget *> order{QApplication::focusWidget()};
        for (int i = 0; i < 8; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget();
        }
        const QList<QWidget *> expected = {editor.Drive1,   editor.Dir1,     editor.File1,
                                           editor.Command5, editor.Command1, editor.Command2,
                                           editor.List2,    editor.Command6, editor.Command3};
        QCOMPARE(order, expected);
    }

    void adding_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("files");
        // "all": Alt+A; "enter": Enter on the focused Add All; "two"/"every": select, then Add Selected
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("messages");
        QTest::newRow("498 lines, five selected") << 498 << 5 << "every" << 2 << 3;
        QTest::newRow("500 lines, Add All of 20") << 500 << 20 << "all" << 0 << 20;
        QTest::newRow("two of five selected") << 0 << 5 << "two" << 2 << 0;
        QTest::newRow("Add All of five, by Enter") << 3 << 5 << "enter" << 5 << 0;
    }
    void adding()
    {
        QFETCH(int, lines);
        QFETCH(int, files);
        QFETCH(QString, how);
        QFETCH(int, added);
        QFETCH(int, messages);
        QStringList names;
        for (int i = 1; i <= files; ++i)
            names << QStringLiteral("tune%1.wav").arg(i, 2, 10, QLatin1Char('0'));
        const QString folder = make_folder(root_.filePath(QStringLiteral("adding-%1-%2").arg(files).arg(how)), names);
        bas_shellcode::audio_browse_folder = folder;
        write_audio_list(numbered(lines));

        frm_audio editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(editor.File1->count(), files);
        QStringList expected = numbered(lines);
        box_closer boxes;
        if (how == "all" || how == "enter") {
            if (how == "all") {
                press(&editor, Qt::Key_A);
            } else {
                editor.Command2->setFocus();
                QTest::keyClick(editor.Command2, Qt::Key_Return);
            }
            expected += QStringList(names.mid(0, added)).replaceInStrings(QRegularExpression("^"), folder + "/");
        } else if (how == "every") {
            editor.File1->setFocus();
            QTest::keyClick(editor.File1, Qt::Key_A, Qt::ControlModifier);
            press(&editor, Qt::Key_S);
            expected += QStringList(names.mid(0, added)).replaceInStrings(QRegularExpression("^"), folder + "/");
        } else {
            click_row(editor.File1, 1);
            click_row(editor.File1, 3, Qt::ControlModifier);
            QTest::mouseClick(editor.Command1, Qt::LeftButton);
            expected << folder + "/" + names[1] << folder + "/" + names[3];
        }
        QTRY_COMPARE(editor.List2->count(), lines + added);
        QCOMPARE(lines_of(editor.List2), expected);
        QCOMPARE(boxes.seen.size(), messages);
        for (const seen_box &box : boxes.seen) {
            QCOMPARE(box.text, QStringLiteral("Maximum of 500 Audio Files Reached!"));
            QCOMPARE(box.title, QStringLiteral("Screen Saver Audio Files"));
            QCOMPARE(box.icon, QMessageBox::NoIcon);
            QCOMPARE(box.buttons, QStringList{"OK"});
        }
        // Saved, the list reads back whole.
        QTest::mouseClick(editor.Command3, Qt::LeftButton);
        bas_usercode::load_audio_files();
        QCOMPARE(bas_usercode::audio_count, lines + added);
        QCOMPARE(bas_usercode::audio_list[static_cast<std::size_t>(lines + added)], expected.back());
    }

    void same_file_twice_and_removal()
    {
        write_audio_list(numbered(5));
        frm_audio editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        // No duplicate check: the same file twice gives two equal lines.
        click_row(editor.File1, 0);
        QTest::mouseClick(editor.Command1, Qt::LeftButton);
        QTest::mouseClick(editor.Command1, Qt::LeftButton);
        QStringList expected = numbered(5) << music_ + "/a.wav" << music_ + "/a.wav" << "";
        expected.removeLast();
        QCOMPARE(lines_of(editor.List2), expected);
        // An eighth line, then lines 2, 3 and 7 selected and removed.
        click_row(editor.File1, 1);
        QTest::mouseClick(editor.Command1, Qt::LeftButton);
        expected << music_ + "/B.WAV";
        QCOMPARE(editor.List2->count(), 8);
        click_row(editor.List2, 1);
        click_row(editor.List2, 2, Qt::ControlModifier);
        click_row(editor.List2, 6, Qt::ControlModifier);
        press(&editor, Qt::Key_R);
        for (int row : {6, 2, 1})
            expected.removeAt(row);
        QCOMPARE(lines_of(editor.List2), expected);
        QCOMPARE(editor.List2->currentRow(), -1);
        QVERIFY(editor.List2->selectedItems().isEmpty());
        // Removing from an empty list does nothing.
        editor.List2->selectAll();
        QTest::mouseClick(editor.Command5, Qt::LeftButton);
        QCOMPARE(editor.List2->count(), 0);
        QTest::mouseClick(editor.Command5, Qt::LeftButton);
        // Saving the empty list leaves an empty file.
        QTest::mouseClick(editor.Command3, Qt::LeftButton);
        QCOMPARE(file_bytes(bas_usercode::audio_files_file()), QByteArray());
        QCOMPARE(bas_usercode::audio_count, 0);
    }

    void file_at_the_root_of_a_volume()
    {
        QCOMPARE(path_in_folder("/", "x.wav"), QStringLiteral("/x.wav"));
        // A volume of its own, chosen in the drive list with the keyboard.
        const QString volume = make_folder(root_.filePath("volume"), {"root.wav"});
        platform::set_volume_source([&] { return QStringList{"/", volume + "/"}; });
        frm_audio editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(editor.Drive1->drive(), QStringLiteral("/"));
        editor.Drive1->setFocus();
        QTest::keyClick(editor.Drive1, Qt::Key_Down);
        QCOMPARE(editor.Drive1->drive(), volume + "/");
        QCOMPARE(editor.Dir1->path(), volume);
        QCOMPARE(editor.Dir1->topLevelItem(0)->text(0), volume + "/");
        QCOMPARE(lines_of(editor.File1), QStringList{"root.wav"});
        QTest::mouseClick(editor.Command2, Qt::LeftButton);
        QCOMPARE(editor.List2->item(2)->text(), volume + "/root.wav");
        // The root volume: its folders start at "/", and "/" joins with a single separator.
        QTest::keyClick(editor.Drive1, Qt::Key_Up);
        QCOMPARE(editor.Dir1->path(), QStringLiteral("/"));
        QCOMPARE(editor.File1->path(), QStringLiteral("/"));
        QVERIFY(editor.Dir1->item_for("/usr"));
    }

    void failed_drive_change_returns_to_the_browse_folder()
    {
        const QString gone = root_.filePath("unplugged");
        platform::set_volume_source([&] { return QStringList{"/", gone + "/", root_.path() + "/"}; });
        bas_shellcode::audio_browse_folder = music_ + "/deeper/";
        frm_audio editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(editor.Dir1->path(), music_ + "/deeper");
        // The user goes elsewhere first, then picks the volume that is not there.
        editor.Dir1->set_path(music_);
        editor.Drive1->setFocus();
        box_closer boxes;
        // The list is "/", the missing volume, the volume of the browse folder: one step up.
        QCOMPARE(editor.Drive1->currentIndex(), 2);
        QCOMPARE(editor.Drive1->itemText(1), gone + "/");
        QTest::keyClick(editor.Drive1, Qt::Key_Up);
        QCOMPARE(editor.Dir1->path(), music_ + "/deeper");
        QCOMPARE(editor.File1->path(), music_ + "/deeper");
        QCOMPARE(editor.Drive1->drive(), root_.path() + "/");
        QTest::qWait(100);
        QVERIFY(boxes.seen.isEmpty());
    }

    void browse_folder_kept_for_the_run()
    {
        const QByteArray list_before = file_bytes(bas_usercode::audio_files_file());
        {
            frm_audio editor;
            editor.show();
            QVERIFY(QTest::qWaitForWindowActive(&editor));
            // One click shows a folder's files; a double-click opens it.
            QTreeWidgetItem *deeper = editor.Dir1->item_for(music_ + "/deeper");
            QVERIFY(deeper);
            const QPoint at = editor.Dir1->visualItemRect(deeper).center();
            QTest::mouseClick(editor.Dir1->viewport(), Qt::LeftButton, {}, at);
            QTRY_COMPARE(editor.File1->path(), music_ + "/deeper");
            QCOMPARE(editor.Dir1->path(), music_);
            QTest::mouseDClick(editor.Dir1->viewport(), Qt::LeftButton, {}, at);
            QTRY_COMPARE(editor.Dir1->path(), music_ + "/deeper");
            QCOMPARE(editor.File1->path(), music_ + "/deeper");
            // Back up with the keyboard: Up to the parent's line, Enter opens it.
            QTest::keyClick(editor.Dir1, Qt::Key_Up);
            QTRY_COMPARE(editor.File1->path(), music_);
            QTest::keyClick(editor.Dir1, Qt::Key_Return);
            QTRY_COMPARE(editor.Dir1->path(), music_);
            QVERIFY(editor.isVisible());
            QTest::keyClick(editor.Dir1, Qt::Key_Down);
            QTest::keyClick(editor.Dir1, Qt::Key_Down);
            QTRY_COMPARE(editor.File1->path(), music_ + "/folder.wav");
            QTest::mouseClick(editor.Command6, Qt::LeftButton);
            QVERIFY(!editor.isVisible());
        }
        QCOMPARE(bas_shellcode::audio_browse_folder, music_ + "/folder.wav/");
        QCOMPARE(file_bytes(bas_usercode::audio_files_file()), list_before);
        frm_audio again;
        QCOMPARE(again.Dir1->path(), music_ + "/folder.wav");
        QCOMPARE(again.File1->path(), music_ + "/folder.wav");
    }

    void falls_back_to_the_home_folder_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("browse folder gone") << "browse";
        QTest::newRow("clicked folder gone") << "clicked";
        QTest::newRow("opened folder gone") << "opened"; // Enter on its line
    }
    void falls_back_to_the_home_folder()
    {
        QFETCH(QString, what);
        const QString doomed = make_folder(root_.filePath("doomed/inner"), {"x.wav"});
        bas_shellcode::audio_browse_folder = (what == "browse" ? doomed : root_.filePath("doomed")) + "/";
        if (what == "browse")
            QVERIFY(QDir(doomed).removeRecursively());
        frm_audio editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        if (what != "browse") {
            QTreeWidgetItem *inner = editor.Dir1->item_for(doomed);
            QVERIFY(inner);
            QVERIFY(QDir(doomed).removeRecursively());
            const QPoint at = editor.Dir1->visualItemRect(inner).center();
            if (what == "clicked") {
                QTest::mouseClick(editor.Dir1->viewport(), Qt::LeftButton, {}, at);
            } else {
                editor.Dir1->setCurrentItem(inner);
                QTest::keyClick(editor.Dir1, Qt::Key_Return);
            }
        }
        QTRY_COMPARE(editor.Dir1->path(), QDir::homePath());
        QCOMPARE(editor.File1->path(), QDir::homePath());
        QCOMPARE(editor.Drive1->drive(), platform::volume_of(QDir::homePath(), editor.Drive1->volumes()));
    }

    void preview()
    {
        const QString sounds = root_.filePath("sounds");
        QDir().mkpath(sounds);
        QVERIFY(sound_fixtures::write_file(sounds + "/long.wav", sound_fixtures::tone_wav(8, 440)));
        QVERIFY(sound_fixtures::write_file(sounds + "/LOUD.WAV", sound_fixtures::tone_wav(8, 660)));
        QVERIFY(sound_fixtures::write_file(sounds + "/tune.mid", sound_fixtures::chord_midi()));
        bas_shellcode::audio_browse_folder = sounds;
        write_audio_list({sounds + "/tune.mid"});
        frm_audio editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QCOMPARE(lines_of(editor.File1), (QStringList{"long.wav", "LOUD.WAV", "tune.mid"}));
        QCOMPARE(editor.MMControl1.Mode(), media_device::mode_not_open);

        double_click_row(editor.File1, 0);
        QCOMPARE(editor.MMControl1.FileName, sounds + "/long.wav");
        QCOMPARE(editor.MMControl1.DeviceType, QStringLiteral("WaveAudio"));
        QTRY_COMPARE_WITH_TIMEOUT(editor.MMControl1.Mode(), media_device::mode_playing, 10000);
        // Enter is the keyboard's double-click; the new preview ends the last one.
        QTest::keyClick(editor.File1, Qt::Key_Down);
        QTest::keyClick(editor.File1, Qt::Key_Return);
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.MMControl1.FileName, sounds + "/LOUD.WAV");
        QCOMPARE(editor.MMControl1.DeviceType, QStringLiteral("WaveAudio"));
        QTRY_COMPARE_WITH_TIMEOUT(editor.MMControl1.Mode(), media_device::mode_playing, 10000);
        // A line of the list plays as well, MIDI on the sequencer.
        double_click_row(editor.List2, 0);
        QCOMPARE(editor.MMControl1.FileName, sounds + "/tune.mid");
        QCOMPARE(editor.MMControl1.DeviceType, QStringLiteral("Sequencer"));
        QCOMPARE(editor.List2->count(), 1);
        // Closing the editor, however it is done, stops the preview.
        double_click_row(editor.File1, 0);
        QTRY_COMPARE_WITH_TIMEOUT(editor.MMControl1.Mode(), media_device::mode_playing, 10000);
        QTest::keyClick(editor.File1, Qt::Key_Escape);
        QVERIFY(!editor.isVisible());
        QCOMPARE(editor.MMControl1.Mode(), media_device::mode_not_open);
    }

    void file_the_list_cannot_hold()
    {
        const QString odd = make_folder(root_.filePath("odd"), {"plain.wav", "say \"hi\", loud.wav", "x, y.wav"});
        bas_shellcode::audio_browse_folder = odd;
        write_audio_list({});
        frm_audio editor;
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        box_closer boxes;
        QTest::mouseClick(editor.Command2, Qt::LeftButton);
        QCOMPARE(lines_of(editor.List2), (QStringList{odd + "/plain.wav", odd + "/x, y.wav"}));
        QCOMPARE(boxes.seen.size(), 1);
        QVERIFY2(boxes.seen[0].text.startsWith("This file cannot be added"), qPrintable(boxes.seen[0].text));
        QVERIFY(boxes.seen[0].text.contains(odd + "/say \"hi\", loud.wav"));
        QCOMPARE(boxes.seen[0].title, QStringLiteral("Screen Saver Audio Files"));
        QCOMPARE(boxes.seen[0].buttons, QStringList{"OK"});
        QTest::mouseClick(editor.Command3, Qt::LeftButton);
        bas_usercode::load_audio_files();
        QCOMPARE(bas_usercode::audio_count, 2);
        QCOMPARE(bas_usercode::audio_list[2], odd + "/x, y.wav");
    }

    void window_deleted_during_the_walk()
    {
        // The walk of twenty files at the limit stops when the editor is gone.
        QStringList names;
        for (int i = 1; i <= 20; ++i)
            names << QStringLiteral("t%1.wav").arg(i);
        bas_shellcode::audio_browse_folder = make_folder(root_.filePath("twenty"), names);
        write_audio_list(numbered(500));
        QPointer<frm_audio> editor = new frm_audio;
        editor->show();
        QVERIFY(QTest::qWaitForWindowActive(editor));
        box_closer boxes;
        boxes.during = [&](int n) {
            if (n == 1)
                delete editor;
        };
        QTest::mouseClick(editor->Command2, Qt::LeftButton);
        QVERIFY(editor.isNull());
        QTest::qWait(100);
        QCOMPARE(boxes.seen.size(), 2);
        // What it showed is kept for the next opening.
        QCOMPARE(bas_shellcode::audio_browse_folder, root_.filePath("twenty") + "/");
    }
};

QTEST_MAIN(tst_audio_editor)
#include "tst_audio_editor.moc"
