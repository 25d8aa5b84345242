#include "common/testmain.h"

#include <core/brew/paths.h>

#include <QTest>

using namespace vandrel::brew;

class BrewPathTest : public QObject {
    Q_OBJECT
private slots:
    void paths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("base");
        QTest::newRow("root") << QString() << QString() << QString() << QString();
        QTest::newRow("slash alone") << u"/"_qs << QString() << QString() << QString();
        QTest::newRow("one name") << u"brew"_qs << u"brew/"_qs << QString() << u"brew"_qs;
        QTest::newRow("folder") << u"brew/mod/"_qs << u"brew/mod/"_qs << u"brew/"_qs << u"mod"_qs;
        QTest::newRow("stray slashes") << u"/brew//mod/game.mod"_qs << u"brew/mod/game.mod/"_qs << u"brew/mod/"_qs
                                       << u"game.mod"_qs;
    }
    void paths()
    {
        QFETCH(QString, path);
        QFETCH(QString, folder);
        QFETCH(QString, parent);
        QFETCH(QString, base);
        QCOMPARE(brewFolderPath(path), folder);
        QCOMPARE(brewParentPath(path), parent);
        QCOMPARE(brewBaseName(path), base);
    }
};

VANDREL_TEST(BrewPathTest)
#include "tst_brew_paths.moc"
