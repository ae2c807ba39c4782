#include <QtTest>

class tst_sprite_assets : public QObject
{
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(tst_sprite_assets)
#include "tst_sprite_assets.moc"
