// The saver password in the settings store: every character keeps its identity,
// values written by earlier versions read back unchanged, and the stored form is
// letters "a".."z" only.
#include "startup/bas_shellcode.h"
#include "test_env.h"

#include <QtTest>

using namespace bas_shellcode;

namespace {
QString scrambled(const QString &plain)
{
    saver_password = plain;
    scramble_password();
    return scrambled_password;
}

QString unscrambled(const QString &stored)
{
    scrambled_password = stored;
    saver_password = QStringLiteral("junk");
    unscramble_password();
    return saver_password;
}
} // namespace

class tst_password_store : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { test_env::isolate_profile(); }

    // Values that earlier versions wrote (8-bit characters only) keep their meaning.
    void old_values_read_back_unchanged_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("plain");
        QTest::newRow("one") << "yj" << "A";
        QTest::newRow("six, key cycles") << "xlyeweymybxm" << "secret";
        QTest::newRow("digit") << "zcweyjwkwfzkwatg" << "ZENTARA1";
        QTest::newRow("8-bit letters") << scrambled(QStringLiteral("\u00c4\u00d6\u00dc\u00e9\u00ff")) << "\u00c4\u00d6\u00dc\u00e9\u00ff";
    }
    void old_values_read_back_unchanged()
    {
        QFETCH(QString, stored);
        QFETCH(QString, plain);
        QCOMPARE(unscrambled(stored), plain);
        QCOMPARE(scrambled(plain), stored);
        QCOMPARE(stored.size(), 2 * plain.size()); // two letters an 8-bit character, as ever
    }

    void every_character_keeps_its_identity_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::newRow("Cyrillic") << "\u041f\u0410\u0420\u041e\u041b\u042c";
        QTest::newRow("Greek") << "\u039a\u03a9\u0394\u0399\u039a\u039f\u03a3";
        QTest::newRow("mixed") << "a\u0436b\u20ac\u00e9\u4e2d";
        QTest::newRow("beyond 16 bits") << "x\U0001F600\U0010FFFF";
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("z");
        QTest::newRow("character 256") << QString(QChar(0x100));
        QTest::newRow("every key letter twice") << "\u0436\u0436\u0436\u0436\u0436\u0436\u0436\u0436\u0436\u0436\u0436";
    }
    void every_character_keeps_its_identity()
    {
        QFETCH(QString, plain);
        const QString stored = scrambled(plain);
        QVERIFY(!stored.isEmpty());
        for (const QChar c : stored)
            QVERIFY2(c >= QLatin1Char('a') && c <= QLatin1Char('z'), qPrintable(stored));
        QCOMPARE(unscrambled(stored), plain);
    }

    // The fault: every character above 255 was stored as "?", so any text of the
    // same length opened the saver.
    void different_texts_differ_when_stored_data()
    {
        QTest::addColumn<QString>("one");
        QTest::addColumn<QString>("other");
        QTest::newRow("Cyrillic") << "\u041f\u0410\u0420\u041e\u041b\u042c" << "\u041f\u0410\u0420\u041e\u041b\u0418";
        QTest::newRow("Greek and Cyrillic") << "\u0391\u0392" << "\u0410\u0411";
        QTest::newRow("question marks") << "??" << "\u0436\u0436";
    }
    void different_texts_differ_when_stored()
    {
        QFETCH(QString, one);
        QFETCH(QString, other);
        QVERIFY(scrambled(one) != scrambled(other));
        QCOMPARE(unscrambled(scrambled(one)), one);
        QCOMPARE(unscrambled(scrambled(other)), other);
    }

    // Values that the writer never makes mean no password, as before.
    void damaged_values_mean_no_password_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::newRow("continuation byte alone") << "aa";
        QTest::newRow("sequence cut short") << scrambled(QStringLiteral("\u0436")).left(2);
        QTest::newRow("sequence cut by an 8-bit pair") << scrambled(QStringLiteral("\u0436")).left(2) + "yj";
        QTest::newRow("letters i and j start no pair") << "ia";
        QTest::newRow("odd length") << "yjy";
        QTest::newRow("second letter beyond p") << "yq";
        QTest::newRow("capital") << "YJ";
    }
    void damaged_values_mean_no_password()
    {
        QFETCH(QString, stored);
        QCOMPARE(unscrambled(stored), QString());
    }

    // A character of 255 or less has exactly one stored form: written as UTF-8
    // bytes it would be a second spelling of the same password.
    void an_8bit_character_as_bytes_is_refused()
    {
        // "é" (U+00E9) as UTF-8 is C3 A9; pair n uses key letter (n mod 5) + 1.
        const QString key = k_scramble_key;
        QString stored;
        const int bytes[] = {0xC3, 0xA9};
        for (int n = 1; n <= 2; ++n) {
            const int x = bytes[n - 1] ^ key.at(n % 5).unicode();
            stored += QChar('a' + (x / 16 - 8));
            stored += QChar('a' + x % 16);
        }
        QCOMPARE(unscrambled(stored), QString());
    }
};

QTEST_GUILESS_MAIN(tst_password_store)
#include "tst_password_store.moc"
