#include "common/testmain.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTest>

namespace {
struct Run {
    int exit = -1;
    QString out;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/vandrel-cli"));
    p.setArguments(args);
    p.start();
    p.waitForFinished(20000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

class CliGrammarTest : public QObject {
    Q_OBJECT
private slots:
    void helpAndVersion()
    {
        const Run help = cli({QStringLiteral("--help")});
        QCOMPARE(help.exit, 0);
        QVERIFY(help.out.contains(QStringLiteral("--overwrite ask|yes|no")));
        const Run version = cli({QStringLiteral("--version")});
        QCOMPARE(version.exit, 0);
        QCOMPARE(version.out.trimmed(), QStringLiteral("vandrel-cli " VANDREL_VERSION_STRING));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("says");
        QTest::newRow("nothing") << QStringList{} << QStringLiteral("no command");
        QTest::newRow("group only") << QStringList{QStringLiteral("obex")} << QStringLiteral("no command given for obex");
        QTest::newRow("unknown") << QStringList{QStringLiteral("nosuch"), QStringLiteral("thing")}
                                 << QStringLiteral("unknown command");
        QTest::newRow("bad overwrite") << QStringList{QStringLiteral("--overwrite"), QStringLiteral("maybe"),
                                                      QStringLiteral("a"), QStringLiteral("b")}
                                       << QStringLiteral("ask, yes or no");
        QTest::newRow("bad speed") << QStringList{QStringLiteral("--speed"), QStringLiteral("fast")}
                                   << QStringLiteral("--speed");
        QTest::newRow("missing value") << QStringList{QStringLiteral("--modem")} << QStringLiteral("needs a value");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour"), QStringLiteral("x")}
                                        << QStringLiteral("unknown option");
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, says);
        const Run r = cli(args);
        QCOMPARE(r.exit, 2);
        QVERIFY2(r.err.contains(says), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }
};

VANDREL_TEST(CliGrammarTest)
#include "tst_cli_grammar.moc"
