#include "platform/os.h"
#include "startup/bas_shellcode.h"
#include "startup/bas_usercode.h"
#include "test_env.h"

#include <QtTest>
#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <thread>
#include <unistd.h>

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

QString escaped(const char *bytes) { return platform::text_from_bytes(QByteArray(bytes)); }

void set_captions(const QStringList &entries)
{
    for (int i = 0; i < entries.size(); ++i)
        caption_list[i + 1] = entries[i];
    caption_count = entries.size();
}

QStringList captions()
{
    QStringList out;
    for (int i = 1; i <= caption_count; ++i)
        out << caption_list[i];
    return out;
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

    void entries_come_back_as_written_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("storable");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("plain") << "Welcome" << true << QByteArray("Welcome");
        QTest::newRow("comma") << "Hello, world" << true << QByteArray("\"Hello, world\"");
        QTest::newRow("leading blank") << " lead" << true << QByteArray("\" lead\"");
        QTest::newRow("trailing blank") << "trail " << true << QByteArray("\"trail \"");
        QTest::newRow("only blanks") << "  \t" << true << QByteArray("\"  \t\"");
        QTest::newRow("empty") << "" << true << QByteArray();
        QTest::newRow("double quote inside") << "say \"hi\"" << true << QByteArray("say \"hi\"");
        QTest::newRow("line break inside") << "two\r\nlines" << true << QByteArray("\"two\r\nlines\"");
        QTest::newRow("utf-8") << "Grüße" << true << QByteArray("Grüße");
        QTest::newRow("legacy byte") << escaped("caf\xe9") << true << QByteArray("caf\xe9");
        QTest::newRow("legacy byte, comma") << escaped("a,\xff") << true << QByteArray("\"a,\xff\"");
        // What the format cannot hold.
        QTest::newRow("double quote first") << "\"Hi\" she said" << false << QByteArray();
        QTest::newRow("unclosed double quote first") << "\"Hi" << false << QByteArray();
        QTest::newRow("blank, then double quote") << " \"x" << false << QByteArray();
        QTest::newRow("comma and double quote") << "a, \"b\"" << false << QByteArray();
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << false << QByteArray();
        QTest::newRow("escaped bytes that make utf-8") << escaped("\xc3").append(escaped("\xa9")) << false << QByteArray();
    }
    void entries_come_back_as_written()
    {
        QFETCH(QString, entry);
        QFETCH(bool, storable);
        QFETCH(QByteArray, line);
        QCOMPARE(list_entry_storable(entry), storable);
        // Saved between two others: it comes back alone and as itself, or it is
        // left out; the entries around it are never touched.
        set_captions({"before", entry, "after"});
        save_captions();
        if (storable)
            QCOMPARE(read_file(captions_file()), "before\r\n" + line + "\r\nafter\r\n");
        load_captions();
        QCOMPARE(captions(), storable ? QStringList({"before", entry, "after"}) : QStringList({"before", "after"}));
    }

    void any_file_survives_load_and_save()
    {
        // Whatever a file holds, what loads from it saves so that it loads again
        // the same, and a second save changes no byte.
        QRandomGenerator random(20261210);
        const QByteArray alphabet("ab ,,\"\"\t\r\n\r\n\xe9\xc3\xa9\xff\x80");
        for (int round = 0; round < 300; ++round) {
            QByteArray file;
            const int size = random.bounded(40);
            for (int i = 0; i < size; ++i)
                file += alphabet[random.bounded(int(alphabet.size()))];
            write_file(captions_file(), file);
            load_captions();
            const QStringList first = captions();
            for (const QString &entry : first)
                QVERIFY2(list_entry_storable(entry), file.toHex().constData());
            save_captions();
            const QByteArray saved = read_file(captions_file());
            load_captions();
            QVERIFY2(captions() == first, file.toHex().constData());
            save_captions();
            QCOMPARE(read_file(captions_file()), saved);
        }
    }

    void legacy_bytes_survive_byte_for_byte()
    {
        const QByteArray file("caf\xe9\r\n"
                              "\"Space, Vol. \xb2\"\r\n"
                              "Gr\xc3\xbc\xc3\x9f\r\n"
                              "\xed\xa0\x80 surrogate in utf-8\r\n"
                              "\xc0\xaf overlong\r\n"
                              "cut \xe2\x82\r\n");
        write_file(audio_files_file(), file);
        load_audio_files();
        QCOMPARE(audio_count, 6);
        QCOMPARE(audio_list[1], QStringLiteral("caf") + QChar(0xDCE9));
        QCOMPARE(audio_list[3], QStringLiteral("Grüß"));
        save_audio_files();
        QCOMPARE(read_file(audio_files_file()), file);
    }

    void oversized_and_special_files_load_empty_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("count");
        QTest::newRow("2 GB file") << "sparse" << 0;
        QTest::newRow("one byte over the bound") << "over" << 0;
        QTest::newRow("one line right at the bound") << "at" << 1;
        QTest::newRow("FIFO") << "fifo" << 0;
        QTest::newRow("device") << "device" << 0;
        QTest::newRow("folder") << "folder" << 0;
    }
    void oversized_and_special_files_load_empty()
    {
        QFETCH(QString, kind);
        QFETCH(int, count);
        const QString path = captions_file();
        const QByteArray name = QFile::encodeName(path);
        QFile::remove(path);
        QDir(path).removeRecursively();
        // A reader that waits for a FIFO's writer is let go after 6 s, so that the
        // test fails instead of hanging.
        std::atomic<bool> returned{false};
        std::thread unblock;
        if (kind == "sparse") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.resize(qint64(2) << 30));
        } else if (kind == "over" || kind == "at") {
            write_file(path, QByteArray(k_list_file_limit - 2 + (kind == "over"), 'x') + "\r\n");
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
            unblock = std::thread([name, &returned] {
                for (int i = 0; i < 120 && !returned; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                const int fd = returned ? -1 : ::open(name.constData(), O_WRONLY | O_NONBLOCK);
                if (fd >= 0)
                    ::close(fd);
            });
        } else if (kind == "device") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else {
            QVERIFY(QDir().mkpath(path));
        }
        caption_count = 7;
        QElapsedTimer t;
        t.start();
        load_captions();
        const qint64 took = t.elapsed();
        returned = true;
        if (unblock.joinable())
            unblock.join();
        QCOMPARE(caption_count, count);
        QVERIFY2(took < 5000, qPrintable(QStringLiteral("took %1 ms").arg(took)));
        QFile::remove(path);
        QDir(path).removeRecursively();
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

    void default_sounds_in_an_awkward_folder_come_back_whole()
    {
        bas_shellcode::install_path = QStringLiteral("/opt/pre,fix  ") + QChar(0xDCE9) + QStringLiteral("/sounds/");
        bas_shellcode::run_once = 0;
        write_default_lists();
        QCOMPARE(bas_shellcode::run_once, 1);
        load_audio_files();
        QCOMPARE(audio_count, 9);
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(audio_list[i], bas_shellcode::install_path + QStringLiteral("zara%1.wav").arg(i));
    }
};

QTEST_MAIN(tst_lists)
#include "tst_lists.moc"
