#include "common/testmain.h"
#include "cli/clitest.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
using clitest::cli;
using clitest::Run;

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

// The virtual phone with the OBEX side's paths and a local scratch folder.
class PtyPhone : public clitest::PtyPhone {
public:
    QString modem() const { return modemLink(); }
    QString obex(const QString &rel) const { return root() + QStringLiteral("/obex/") + rel; }
    QString local(const QString &rel) const { return scratch(QStringLiteral("local/") + rel); }
};
} // namespace

class CliObexTest : public QObject {
    Q_OBJECT
private slots:
    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("get without REMOTE") << QStringList{u"obex"_qs, u"get"_qs};
        QTest::newRow("get of the root") << QStringList{u"obex"_qs, u"get"_qs, u"/"_qs};
        QTest::newRow("get with three names") << QStringList{u"obex"_qs, u"get"_qs, u"a"_qs, u"b"_qs, u"c"_qs};
        QTest::newRow("put without folder") << QStringList{u"obex"_qs, u"put"_qs, u"x"_qs};
        QTest::newRow("put into the root") << QStringList{u"obex"_qs, u"put"_qs, u"x"_qs, u"/"_qs};
        QTest::newRow("rm of the root") << QStringList{u"obex"_qs, u"rm"_qs, u""_qs};
        QTest::newRow("mkdir without name") << QStringList{u"obex"_qs, u"mkdir"_qs};
        QTest::newRow("mv without new name") << QStringList{u"obex"_qs, u"mv"_qs, u"mmc/a"_qs};
        QTest::newRow("mv to another folder") << QStringList{u"obex"_qs, u"mv"_qs, u"mmc/a"_qs, u"user/a"_qs};
    }
    void usage()
    {
        QFETCH(QStringList, args);
        const Run r = cli(QStringList{u"--modem"_qs, u"/nonexistent-port"_qs} + args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
        QVERIFY(!r.err.isEmpty());
    }

    void folderNeedsRecursive()
    {
        QTemporaryDir dir;
        const Run r = cli({u"--modem"_qs, u"/nonexistent-port"_qs, u"obex"_qs, u"put"_qs, dir.path(), u"mmc"_qs});
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.err.contains("-r"));
    }

    // Put, list, get, rename, delete, new folder and the overwrite modes, end to end.
    void roundTrip()
    {
        PtyPhone phone;
        if (!phone.start())
            QSKIP("the virtual phone is not built");
        const QString port = phone.modem();
        QByteArray data(10000, '\0');
        for (int i = 0; i < data.size(); ++i)
            data[i] = char((i * 7) & 0xFF);
        QVERIFY(writeFile(phone.local(QStringLiteral("up/song.mp3")), data));
        QVERIFY(writeFile(phone.local(QStringLiteral("up/sub/note.txt")), "note"));

        Run r = cli({u"--modem"_qs, port, u"obex"_qs, u"put"_qs, phone.local(QStringLiteral("up/song.mp3")), u"mmc"_qs});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(readFile(phone.obex(QStringLiteral("mmc/song.mp3"))), data);

        // A trailing separator names the folder itself.
        r = cli({u"--modem"_qs, port, u"obex"_qs, u"put"_qs, u"-r"_qs, phone.local(QStringLiteral("up/")), u"user/"_qs});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(readFile(phone.obex(QStringLiteral("user/up/sub/note.txt"))), QByteArray("note"));
        // A folder that is not there is an error, not an empty folder on the phone.
        r = cli({u"--modem"_qs, port, u"obex"_qs, u"put"_qs, u"-r"_qs, phone.local(QStringLiteral("none/")), u"user"_qs});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(!QFileInfo::exists(phone.obex(QStringLiteral("user/none"))));
        // A file the phone will not delete: the command says so and fails.
        QVERIFY(QFile::setPermissions(phone.obex(QStringLiteral("user/up/sub/note.txt")), QFile::ReadOwner));
        r = cli({u"--modem"_qs, port, u"obex"_qs, u"rm"_qs, u"user/up/sub/note.txt"_qs});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("note.txt"), r.err.constData());
        QVERIFY(QFileInfo::exists(phone.obex(QStringLiteral("user/up/sub/note.txt"))));

        // An existing file without a terminal to ask on: refused, the old file kept.
        QVERIFY(writeFile(phone.local(QStringLiteral("down/song.mp3")), "mine"));
        r = cli({u"--modem"_qs, port, u"obex"_qs, u"get"_qs, u"mmc/song.mp3"_qs, phone.local(QStringLiteral("down"))});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("--overwrite"));
        QCOMPARE(readFile(phone.local(QStringLiteral("down/song.mp3"))), QByteArray("mine"));
        r = cli({u"--modem"_qs, port, u"--overwrite"_qs, u"no"_qs, u"obex"_qs, u"get"_qs, u"mmc/song.mp3"_qs,
                 phone.local(QStringLiteral("down"))});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(readFile(phone.local(QStringLiteral("down/song.mp3"))), QByteArray("mine"));
        r = cli({u"--modem"_qs, port, u"--overwrite"_qs, u"yes"_qs, u"obex"_qs, u"get"_qs, u"mmc/song.mp3"_qs,
                 phone.local(QStringLiteral("down"))});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(readFile(phone.local(QStringLiteral("down/song.mp3"))), data);

        r = cli({u"--modem"_qs, port, u"obex"_qs, u"get"_qs, u"-r"_qs, u"user/up"_qs, phone.local(QStringLiteral("down"))});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(readFile(phone.local(QStringLiteral("down/up/sub/note.txt"))), QByteArray("note"));

        r = cli({u"--modem"_qs, port, u"obex"_qs, u"mv"_qs, u"mmc/song.mp3"_qs, u"píseň.mp3"_qs});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(QFileInfo::exists(phone.obex(QStringLiteral("mmc/píseň.mp3"))));

        r = cli({u"--modem"_qs, port, u"obex"_qs, u"mkdir"_qs, u"mmc/Nové"_qs});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(QFileInfo(phone.obex(QStringLiteral("mmc/Nové"))).isDir());

        r = cli({u"--modem"_qs, port, u"obex"_qs, u"rm"_qs, u"mmc/píseň.mp3"_qs});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(!QFileInfo::exists(phone.obex(QStringLiteral("mmc/píseň.mp3"))));

        r = cli({u"--modem"_qs, port, u"obex"_qs, u"get"_qs, u"mmc/nothing.txt"_qs, phone.local(QStringLiteral("down"))});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(!QFileInfo::exists(phone.local(QStringLiteral("down/nothing.txt"))));
        QVERIFY2(phone.anomalies().isEmpty(), phone.anomalies().constData());
    }
};

VANDREL_TEST(CliObexTest)
#include "tst_cli_obex.moc"
