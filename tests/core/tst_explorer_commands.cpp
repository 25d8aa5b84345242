#include "common/testmain.h"

#include <core/explorer/commandrules.h>

#include <QTest>

using namespace vandrel::explorer;

class ExplorerCommandRulesTest : public QObject {
    Q_OBJECT
private slots:
    void install_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("jarBeside");
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QString>("jar");
        QTest::newRow("jar") << u"game.jar"_qs << false << true << QString();
        QTest::newRow("JAR upper case") << u"GAME.JAR"_qs << false << true << QString();
        QTest::newRow("theme") << u"blue.sdt"_qs << false << true << QString();
        QTest::newRow("jad alone") << u"a.jad"_qs << false << false << u"a.jar"_qs;
        QTest::newRow("jad with its jar") << u"a.jad"_qs << true << true << u"a.jar"_qs;
        QTest::newRow("JAD keeps the case") << u"A.JAD"_qs << true << true << u"A.JAR"_qs;
        QTest::newRow("text file") << u"readme.txt"_qs << true << false << QString();
        QTest::newRow("folder caption") << u"[apps.jar]"_qs << false << false << QString();
        QTest::newRow("no extension") << u"jar"_qs << false << false << QString();
    }
    void install()
    {
        QFETCH(QString, caption);
        QFETCH(bool, jarBeside);
        QFETCH(bool, offered);
        QFETCH(QString, jar);
        QCOMPARE(installOffered(caption, jarBeside), offered);
        QCOMPARE(jarBesideJad(caption), jar);
    }

    void rename_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("target");
        QTest::newRow("file") << u"b.txt"_qs << false << u"b.txt"_qs;
        QTest::newRow("folder keeps the shown brackets") << u"[photos]"_qs << true << u"photos"_qs;
        QTest::newRow("folder without brackets") << u"photos"_qs << true << u"photos"_qs;
        QTest::newRow("a file may be named in brackets") << u"[x]"_qs << false << u"[x]"_qs;
        QTest::newRow("empty") << QString() << false << QString();
        QTest::newRow("empty brackets") << u"[]"_qs << true << QString();
        QTest::newRow("dot dot") << u".."_qs << true << QString();
        QTest::newRow("into another folder") << u"../b.txt"_qs << false << QString();
        QTest::newRow("backslash") << u"a\\b"_qs << false << QString();
        QTest::newRow("line break") << u"a\nb"_qs << false << QString();
        QTest::newRow("blanks and accents kept") << u"Nový adresář"_qs << true << u"Nový adresář"_qs;
    }
    void rename()
    {
        QFETCH(QString, answer);
        QFETCH(bool, folder);
        QFETCH(QString, target);
        QCOMPARE(renameTarget(answer, folder), target);
    }

    void brewUp_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("left");
        QTest::newRow("two names") << u"brew/mod/"_qs << u"brew/"_qs << u"mod"_qs;
        QTest::newRow("one name") << u"brew/"_qs << QString() << u"brew"_qs;
        QTest::newRow("three names") << u"a/b/c/"_qs << u"a/b/"_qs << u"c"_qs;
        QTest::newRow("one character") << u"a"_qs << QString() << u"a"_qs;
        QTest::newRow("root") << QString() << QString() << QString();
    }
    void brewUp()
    {
        QFETCH(QString, path);
        QFETCH(QString, parent);
        QFETCH(QString, left);
        const BrewUp up = brewPathUp(path);
        QCOMPARE(up.path, parent);
        QCOMPARE(up.returnName, left);
    }
};

VANDREL_TEST(ExplorerCommandRulesTest)

#include "tst_explorer_commands.moc"
