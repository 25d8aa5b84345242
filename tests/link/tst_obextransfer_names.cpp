#include "common/testmain.h"

#include <link/obextransfer.h>

#include <QTest>

// Names the phone sends become local names only when they stay inside their folder.
class LocalNameTest : public QObject {
    Q_OBJECT
private slots:
    void safe_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << QStringLiteral("photo.jpg") << true;
        QTest::newRow("Czech letters") << QStringLiteral("Obrázky léto.jpg") << true;
        QTest::newRow("dots inside") << QStringLiteral("a..b") << true;
        QTest::newRow("hidden") << QStringLiteral(".profile") << true;
        QTest::newRow("three dots") << QStringLiteral("...") << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("dot") << QStringLiteral(".") << false;
        QTest::newRow("dot dot") << QStringLiteral("..") << false;
        QTest::newRow("backslash up") << QStringLiteral("..\\evil") << false;
        QTest::newRow("slash") << QStringLiteral("a/b") << false;
        QTest::newRow("slash up") << QStringLiteral("../b") << false;
        QTest::newRow("absolute") << QStringLiteral("/etc") << false;
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << false;
        QTest::newRow("drive") << QStringLiteral("C:evil") << false;
        QTest::newRow("drive root") << QStringLiteral("c:\\x") << false;
    }
    void safe()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(vandrel::link::isSafeLocalName(name), safe);
    }
};

VANDREL_TEST(LocalNameTest)
#include "tst_obextransfer_names.moc"
