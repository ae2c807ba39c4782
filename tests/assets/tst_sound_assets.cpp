#include <QtTest>

class tst_sound_assets : public QObject
{
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(tst_sound_assets)
#include "tst_sound_assets.moc"
