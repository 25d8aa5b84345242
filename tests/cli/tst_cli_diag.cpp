#include "common/testmain.h"
#include "cli/clitest.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTest>

namespace {
using clitest::cli;
using clitest::Run;
} // namespace

class CliDiagTest : public QObject {
    Q_OBJECT
private slots:
    void output_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("frame mode change") << QStringList{u"diag"_qs, u"frame"_qs, u"29 02 00"_qs} << QByteArray("29 02 00 59 6A 7E\n");
        QTest::newRow("frame, digits in one piece") << QStringList{u"diag"_qs, u"frame"_qs, u"290200"_qs}
                                                    << QByteArray("29 02 00 59 6A 7E\n");
        QTest::newRow("frame, digits in several arguments") << QStringList{u"diag"_qs, u"frame"_qs, u"29"_qs, u"02"_qs, u"00"_qs}
                                                            << QByteArray("29 02 00 59 6A 7E\n");
        QTest::newRow("frame escapes 7D and 7E") << QStringList{u"diag"_qs, u"frame"_qs, u"7d7e"_qs}
                                                 << QByteArray("7D 5D 7D 5E 02 D5 7E\n");
        QTest::newRow("frame keeps a third byte 7E") << QStringList{u"diag"_qs, u"frame"_qs, u"59 0A 7E 00"_qs}
                                                     << QByteArray("59 0A 7D 5E 00 05 C9 7E\n");
        QTest::newRow("unescape") << QStringList{u"diag"_qs, u"unescape"_qs, u"59 01 7D 5D 7D 5E 12 34 7E"_qs}
                                  << QByteArray("59 01 7D 7E 12 34 7E\n");
        QTest::newRow("unescape keeps 7D 41") << QStringList{u"diag"_qs, u"unescape"_qs, u"7D41"_qs} << QByteArray("7D 41\n");
    }
    void output()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, out);
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, out);
    }

    void badInputIsAUsageError_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("odd digits") << QStringList{u"diag"_qs, u"frame"_qs, u"290"_qs};
        QTest::newRow("not hexadecimal") << QStringList{u"diag"_qs, u"unescape"_qs, u"zz"_qs};
        QTest::newRow("nothing") << QStringList{u"diag"_qs, u"frame"_qs};
    }
    void badInputIsAUsageError()
    {
        QFETCH(QStringList, args);
        const Run r = cli(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(r.err.contains("hexadecimal"));
    }
};

VANDREL_TEST(CliDiagTest)
#include "tst_cli_diag.moc"
