#include "password/key_characters.h"

#include <QtTest>

class tst_key_characters : public QObject
{
    Q_OBJECT
private slots:
    void conversion_data()
    {
        QTest::addColumn<QByteArray>("layout");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keys");

        QTest::newRow("us letters") << QByteArray("us") << 0 << "aBz" << "ABZ";
        QTest::newRow("us shifted digits") << QByteArray("us") << 0 << "!@#$%^&*()" << "1234567890";
        QTest::newRow("us shifted symbols") << QByteArray("us") << 0 << "_+{}|:\"?~" << "-=[]\\;'/`";
        QTest::newRow("us unshifted stay") << QByteArray("us") << 0 << "1-=[;' " << "1-=[;' ";
        // A character that no key types (compose, an input method) stays as typed:
        // as character 0 it could never be typed again.
        QTest::newRow("us no key") << QByteArray("us") << 0 << "\u00e9\u20ac\u00df" << "\u00e9\u20ac\u00df";
        QTest::newRow("us no key, Cyrillic") << QByteArray("us") << 0 << "\u043f\u0430\u0440\u043e\u043b\u044c"
                                             << "\u043f\u0430\u0440\u043e\u043b\u044c";
        QTest::newRow("ru letters") << QByteArray("ru") << 0 << "\u043f\u0430\u0440\u043e\u043b\u044c"
                                    << "\u041f\u0410\u0420\u041e\u041b\u042c";

        QTest::newRow("de letters") << QByteArray("de") << 0 << "yz\u00e4\u00f6\u00fc" << "YZ\u00c4\u00d6\u00dc";
        QTest::newRow("de shifted digits") << QByteArray("de") << 0 << "!\"\u00a7$%&/()=?" << "1234567890\u00df";
        QTest::newRow("de shifted symbols") << QByteArray("de") << 0 << "*'>;:_" << "+#<,.-";
        QTest::newRow("de AltGr") << QByteArray("de") << 0 << "@\u20ac{[]}\\~|\u00b5\u00b2\u00b3"
                                  << "QE7890\u00df+<M23";
        // Dead keys type nothing alone: what they reach stays as typed.
        QTest::newRow("de dead keys") << QByteArray("de") << 0 << "^\u00b0`\u00b4\u00e9\u00ea"
                                      << "^\u00b0`\u00b4\u00e9\u00ea";
        QTest::newRow("de no key") << QByteArray("de") << 0 << "\u0436\U0001F600" << "\u0436\U0001F600";

        QTest::newRow("second layout of two") << QByteArray("us,de") << 1 << "@\"" << "Q2";
    }
    void conversion()
    {
        QFETCH(QByteArray, layout);
        QFETCH(int, group);
        QFETCH(QString, text);
        QFETCH(QString, keys);
        key_characters::layout_names names;
        names.layout = layout;
        names.group = group;
        QCOMPARE(key_characters::to_key_characters(text, names), keys);
    }

    void without_x_server_the_default_layout_counts()
    {
        // The offscreen platform has no X server: the default names apply,
        // which xkbcommon takes from XKB_DEFAULT_LAYOUT.
        QCOMPARE(platform::current_layout().layout, QByteArray());
        qputenv("XKB_DEFAULT_LAYOUT", "de");
        QCOMPARE(key_characters::to_key_characters(QStringLiteral("@y")), QStringLiteral("QY"));
        qputenv("XKB_DEFAULT_LAYOUT", "us");
        QCOMPARE(key_characters::to_key_characters(QStringLiteral("@y")), QStringLiteral("2Y"));
    }
};

QTEST_MAIN(tst_key_characters)
#include "tst_key_characters.moc"
