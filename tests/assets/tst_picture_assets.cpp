#include <QtTest>

class tst_picture_assets : public QObject
{
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(tst_picture_assets)
#include "tst_picture_assets.moc"
