#include "common/testmain.h"
#include "cli/clitest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
using clitest::cli;
using clitest::Run;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The virtual phone with the BREW side's paths and commands.
class PtyPhone : public clitest::PtyPhone {
public:
    PtyPhone() { start(); }
    QString brew(const QString &rel) const { return root() + QStringLiteral("/brew-fs/") + rel; }
    Run run(QStringList args, const QString &overwrite = QStringLiteral("yes")) const
    {
        args.prepend(QStringLiteral("brew"));
        return cli(QStringList{QStringLiteral("--diag"), diagLink(), QStringLiteral("--overwrite"), overwrite} + args);
    }
};

#define NEED_PHONE(phone)                                                                       \
    if (!(phone).built())                                                                       \
        QSKIP("the virtual phone (vandrel-phone) is not built in this tree");                   \
    QVERIFY2((phone).running(), "the virtual phone did not make its pseudo-terminals")

} // namespace

class CliBrewTest : public QObject {
    Q_OBJECT
private slots:
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("get without a name") << QStringList{u"brew"_qs, u"get"_qs};
        QTest::newRow("get of the root without -r") << QStringList{u"brew"_qs, u"get"_qs, u"/"_qs};
        QTest::newRow("put with one argument") << QStringList{u"brew"_qs, u"put"_qs, u"x"_qs};
        QTest::newRow("rm of the root") << QStringList{u"brew"_qs, u"rm"_qs, u"-r"_qs, u"/"_qs};
        QTest::newRow("mkdir without a name") << QStringList{u"brew"_qs, u"mkdir"_qs};
        QTest::newRow("ls of two folders") << QStringList{u"brew"_qs, u"ls"_qs, u"a"_qs, u"b"_qs};
        QTest::newRow("free with an argument") << QStringList{u"brew"_qs, u"free"_qs, u"x"_qs};
        QTest::newRow("unknown mode") << QStringList{u"mode"_qs, u"sideways"_qs};
        QTest::newRow("no mode") << QStringList{u"mode"_qs};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = cli(QStringList{u"--diag"_qs, u"/nonexistent/port"_qs} + args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }

    void putOfAFolderNeedsRecursion()
    {
        QTemporaryDir dir;
        const Run r = cli({u"--diag"_qs, u"/nonexistent/port"_qs, u"brew"_qs, u"put"_qs, dir.path(), u"brew"_qs});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("-r"));
    }

    void missingPortFails()
    {
        const Run r = cli({u"--diag"_qs, u"/nonexistent/port"_qs, u"brew"_qs, u"ls"_qs});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(r.err.count('\n'), 1);
    }

    void listing()
    {
        PtyPhone phone;
        NEED_PHONE(phone);
        const Run r = phone.run({u"ls"_qs, u"brew/mod/clock/"_qs});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> rows = r.out.trimmed().split('\n');
        QCOMPARE(rows.size(), 3);
        QVERIFY(rows.at(0).startsWith("clock.mif\t1\t"));
        QVERIFY(rows.at(1).startsWith("clock.mod\t257\t"));
        QVERIFY(rows.at(2).startsWith("empty.dat\t0\t"));
        const Run mod = phone.run({u"ls"_qs, u"brew/mod"_qs});
        QVERIFY(mod.out.contains("[game]\t  <DIR>\t"));
        QCOMPARE(phone.run({u"ls"_qs, u"brew/none"_qs}).exitCode, 1);
        QCOMPARE(phone.anomalies(), QByteArray());
    }

    void copies()
    {
        PtyPhone phone;
        NEED_PHONE(phone);
        QTemporaryDir local;
        QCOMPARE(phone.run({u"get"_qs, u"pbm_master_v_20.dat"_qs, local.path()}).exitCode, 0);
        QCOMPARE(fileBytes(local.filePath(u"pbm_master_v_20.dat"_qs)), fileBytes(phone.brew(u"pbm_master_v_20.dat"_qs)));

        const Run tree = phone.run({u"get"_qs, u"-r"_qs, u"brew/mod/clock"_qs, local.path()});
        QCOMPARE(tree.exitCode, 0);
        QCOMPARE(fileBytes(local.filePath(u"clock/clock.mod"_qs)), fileBytes(phone.brew(u"brew/mod/clock/clock.mod"_qs)));

        QCOMPARE(phone.run({u"mkdir"_qs, u"brew/shared/new"_qs}).exitCode, 0);
        QVERIFY(QFileInfo(phone.brew(u"brew/shared/new"_qs)).isDir());
        QCOMPARE(phone.run({u"put"_qs, u"-r"_qs, local.filePath(u"clock"_qs), u"brew/shared/new"_qs}).exitCode, 0);
        QCOMPARE(fileBytes(phone.brew(u"brew/shared/new/clock/clock.mod"_qs)), fileBytes(local.filePath(u"clock/clock.mod"_qs)));
        QCOMPARE(phone.run({u"rm"_qs, u"brew/shared/new/clock/clock.mif"_qs}).exitCode, 0);
        QVERIFY(!QFileInfo::exists(phone.brew(u"brew/shared/new/clock/clock.mif"_qs)));
        QCOMPARE(phone.run({u"rm"_qs, u"brew/shared/new"_qs}).exitCode, 1);  // not empty
        QCOMPARE(phone.run({u"rm"_qs, u"-r"_qs, u"brew/shared/new"_qs}).exitCode, 0);
        QVERIFY(!QFileInfo::exists(phone.brew(u"brew/shared/new"_qs)));

        const Run free = phone.run({u"free"_qs});
        QCOMPARE(free.exitCode, 0);
        QVERIFY(free.out.trimmed().toLongLong() > 0);
        QCOMPARE(phone.anomalies(), QByteArray());
    }

    void overwriteAnswers()
    {
        PtyPhone phone;
        NEED_PHONE(phone);
        QTemporaryDir local;
        const QString target = local.filePath(u"readme.txt"_qs);
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("mine");
        f.close();
        QCOMPARE(phone.run({u"get"_qs, u"brew/shared/readme.txt"_qs, local.path()}, u"no"_qs).exitCode, 0);
        QCOMPARE(fileBytes(target), QByteArray("mine"));
        const Run ask = phone.run({u"get"_qs, u"brew/shared/readme.txt"_qs, local.path()}, u"ask"_qs);
        QCOMPARE(ask.exitCode, 1);
        QCOMPARE(fileBytes(target), QByteArray("mine"));
        QCOMPARE(phone.run({u"get"_qs, u"brew/shared/readme.txt"_qs, target}, u"yes"_qs).exitCode, 0);
        QCOMPARE(fileBytes(target), fileBytes(phone.brew(u"brew/shared/readme.txt"_qs)));
    }

    void modes_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("online") << u"online"_qs;
        QTest::newRow("offline") << u"offline"_qs;
        QTest::newRow("factory") << u"factory"_qs;
        QTest::newRow("reset") << u"reset"_qs;
    }
    void modes()
    {
        QFETCH(QString, mode);
        PtyPhone phone;
        NEED_PHONE(phone);
        const Run r = cli({u"--diag"_qs, phone.diagLink(), u"mode"_qs, mode});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty());
        QCOMPARE(phone.anomalies(), QByteArray());
    }
};

VANDREL_TEST(CliBrewTest)
#include "tst_cli_brew.moc"
