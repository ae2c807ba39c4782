#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "test_env.h"

#include <QtTest>
#include <sys/stat.h>

using namespace bas_usercode;

namespace {
void write_file(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray read_file(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray numbered_lines(int n)
{
    QByteArray b;
    for (int i = 1; i <= n; ++i)
        b += "line " + QByteArray::number(i) + "\r\n";
    return b;
}

ino_t inode_of(const QString &path)
{
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_ino;
}
} // namespace

class tst_lists : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        test_env::isolate_profile();
        bas_shellcode::windows_dir = bas_shellcode::get_windows_directory();
        QVERIFY(bas_shellcode::windows_dir.endsWith(QStringLiteral("/Krelix Zentara/")));
        QVERIFY(QDir(bas_shellcode::windows_dir).exists());
    }

    void reading_rules_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("one empty line") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("crlf lines") << QByteArray("one\r\ntwo\r\n") << QStringList{"one", "two"};
        QTest::newRow("lf and cr lines") << QByteArray("one\ntwo\rthree") << QStringList{"one", "two", "three"};
        QTest::newRow("no final line end") << QByteArray("one\r\ntwo") << QStringList{"one", "two"};
        QTest::newRow("comma splits, blank skipped") << QByteArray("Hello, world\r\n") << QStringList{"Hello", "world"};
        QTest::newRow("leading blanks and tabs") << QByteArray("  \tindented\r\n") << QStringList{"indented"};
        QTest::newRow("trailing blanks dropped") << QByteArray("word   \r\n") << QStringList{"word"};
        QTest::newRow("quoted keeps commas") << QByteArray("\"a, b\"\r\n") << QStringList{"a, b"};
        QTest::newRow("quoted keeps blanks") << QByteArray("\"  padded \"\r\n") << QStringList{"  padded "};
        QTest::newRow("text after quote dropped") << QByteArray("\"a\"tail,b\r\n") << QStringList{"a", "b"};
        QTest::newRow("empty line between") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
        QTest::newRow("utf-8") << QByteArray("Grüße vom Mond\r\n") << QStringList{"Grüße vom Mond"};
    }
    void reading_rules()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, items);
        write_file(captions_file(), file);
        caption_count = 99;
        load_captions();
        QCOMPARE(caption_count, items.size());
        for (int i = 0; i < items.size(); ++i)
            QCOMPARE(caption_list[i + 1], items[i]);
    }

    void capacities_data()
    {
        QTest::addColumn<bool>("audio");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("count");
        QTest::newRow("100 captions") << false << 100 << 100;
        QTest::newRow("101 captions") << false << 101 << 0;
        QTest::newRow("500 sounds") << true << 500 << 500;
        QTest::newRow("501 sounds") << true << 501 << 0;
    }
    void capacities()
    {
        QFETCH(bool, audio);
        QFETCH(int, lines);
        QFETCH(int, count);
        write_file(audio ? audio_files_file() : captions_file(), numbered_lines(lines));
        if (audio) {
            prepare_audio();
            QCOMPARE(audio_count, count);
        } else {
            load_captions();
            QCOMPARE(caption_count, count);
        }
    }

    void missing_file_is_an_empty_list()
    {
        QFile::remove(captions_file());
        caption_count = 5;
        load_captions();
        QCOMPARE(caption_count, 0);
    }

    void save_writes_crlf_lines_and_round_trips()
    {
        const QStringList entries{"Welcome", "Hello, world", " leading blank", "say \"hi\"", ""};
        for (int i = 0; i < entries.size(); ++i)
            caption_list[i + 1] = entries[i];
        caption_count = entries.size();
        save_captions();
        QCOMPARE(read_file(captions_file()),
                 QByteArray("Welcome\r\n\"Hello, world\"\r\n\" leading blank\"\r\nsay \"hi\"\r\n\r\n"));
        load_captions();
        QCOMPARE(caption_count, entries.size());
        for (int i = 0; i < entries.size(); ++i)
            QCOMPARE(caption_list[i + 1], entries[i]);

        audio_list[1] = QStringLiteral("/home/me/Music/Space, Vol. 2/ping.wav");
        audio_count = 1;
        save_audio_files();
        load_audio_files();
        QCOMPARE(audio_count, 1);
        QCOMPARE(audio_list[1], QStringLiteral("/home/me/Music/Space, Vol. 2/ping.wav"));
    }

    void save_empty_list_gives_empty_file()
    {
        write_file(captions_file(), "old\r\n");
        caption_count = 0;
        save_captions();
        QVERIFY(QFile::exists(captions_file()));
        QCOMPARE(read_file(captions_file()).size(), 0);
    }

    void save_replaces_the_file_whole()
    {
        // A save writes a new file and renames it over the old one; the old
        // list is never truncated in place.
        write_file(captions_file(), "old one\r\nold two\r\n");
        const ino_t before = inode_of(captions_file());
        QFile held(captions_file());
        QVERIFY(held.open(QIODevice::ReadOnly));
        caption_list[1] = QStringLiteral("new");
        caption_count = 1;
        save_captions();
        QVERIFY(inode_of(captions_file()) != before);
        QCOMPARE(held.readAll(), QByteArray("old one\r\nold two\r\n"));
        QCOMPARE(read_file(captions_file()), QByteArray("new\r\n"));
        const QStringList leftovers = QDir(bas_shellcode::windows_dir).entryList(QDir::Files);
        QCOMPARE(leftovers.filter(QStringLiteral("Captions")).size(), 1);
    }

    void first_run_writes_defaults_once()
    {
        bas_shellcode::install_path = QStringLiteral("/opt/zentara/sounds/");
        bas_shellcode::run_once = 0;
        write_file(captions_file(), "mine\r\n");
        write_default_lists();
        QCOMPARE(bas_shellcode::run_once, 1);
        QCOMPARE(bas_shellcode::get_setting(QStringLiteral("run_once"), QString()), QStringLiteral("1"));
        QByteArray expected_audio;
        for (int i = 1; i <= 9; ++i)
            expected_audio += "/opt/zentara/sounds/zara" + QByteArray::number(i) + ".wav\r\n";
        QCOMPARE(read_file(audio_files_file()), expected_audio);
        QCOMPARE(read_file(captions_file()),
                 QByteArray("Welcome To Zentara Screen Saver\r\n"
                            "You can adjust the frame rate and how often to launch an object\r\n"
                            "Thank you for previewing Zentara Screen Saver\r\n"));

        write_file(captions_file(), "mine\r\n");
        write_default_lists(); // run_once is 1 now: the user's list stays
        QCOMPARE(read_file(captions_file()), QByteArray("mine\r\n"));
    }
};

QTEST_MAIN(tst_lists)
#include "tst_lists.moc"
