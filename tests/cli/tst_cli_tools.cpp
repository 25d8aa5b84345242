#include "common/testmain.h"
#include "cli/clitest.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {
using clitest::cli;
using clitest::Run;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Width and height from a PNG's header chunk.
QSize pngSize(const QByteArray &png)
{
    if (!png.startsWith("\x89PNG\r\n\x1a\n") || png.mid(12, 4) != "IHDR")
        return {};
    return QSize(qFromBigEndian<qint32>(png.constData() + 16), qFromBigEndian<qint32>(png.constData() + 20));
}

class PtyPhone : public clitest::PtyPhone {
public:
    PtyPhone() { start(); }
    QString brew(const QString &rel) const { return root() + QStringLiteral("/brew-fs/") + rel; }
    Run run(const QStringList &args) const
    {
        return cli(QStringList{QStringLiteral("--diag"), diagLink(), QStringLiteral("--overwrite"), QStringLiteral("no")} + args);
    }
};

#define NEED_PHONE(phone)                                                                       \
    if (!(phone).built())                                                                       \
        QSKIP("the virtual phone (vandrel-phone) is not built in this tree");                   \
    QVERIFY2((phone).running(), "the virtual phone did not make its pseudo-terminals")

} // namespace

class CliToolsTest : public QObject {
    Q_OBJECT
private slots:
    void captureUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no file") << QStringList{u"capture"_qs};
        QTest::newRow("other extension") << QStringList{u"capture"_qs, u"shot.jpg"_qs};
        QTest::newRow("count zero") << QStringList{u"capture"_qs, u"shot.bmp"_qs, u"--count"_qs, u"0"_qs};
        QTest::newRow("count not a number") << QStringList{u"capture"_qs, u"shot.bmp"_qs, u"--count"_qs, u"x"_qs};
    }
    void captureUsage()
    {
        QFETCH(QStringList, args);
        const Run r = cli(QStringList{u"--diag"_qs, u"/nonexistent/port"_qs} + args);
        QCOMPARE(r.exitCode, 2);
    }

    void captureBitmap()
    {
        PtyPhone phone;
        NEED_PHONE(phone);
        const QString out = phone.scratch(u"shot.bmp"_qs);
        const Run r = phone.run({u"capture"_qs, out});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(fileBytes(out).startsWith("BM"));
        QCOMPARE(fileBytes(out), fileBytes(phone.brew(u"DispCapture.bmp"_qs)));
        QVERIFY2(phone.anomalies().isEmpty(), phone.anomalies().constData());
    }

    void captureSequenceAsPng()
    {
        PtyPhone phone;
        NEED_PHONE(phone);
        const Run r = phone.run({u"capture"_qs, phone.scratch(u"shot.png"_qs), u"--count"_qs, u"3"_qs});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QList<QByteArray> pictures;
        for (const char *name : {"shot-001.png", "shot-002.png", "shot-003.png"}) {
            pictures << fileBytes(phone.scratch(QString::fromLatin1(name)));
            QCOMPARE(pngSize(pictures.last()), QSize(240, 320));
        }
        QVERIFY(pictures[0] != pictures[1] && pictures[1] != pictures[2]);
        QVERIFY(!QFileInfo::exists(phone.scratch(u"shot.png"_qs)));
    }

    // A JAR with its JAD made from the manifest (by the archiver of the JDK), as an application,
    // with and without the restart afterwards.
    void installJar_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::newRow("stay") << QStringList{};
        QTest::newRow("restart") << QStringList{u"--restart"_qs};
    }
    void installJar()
    {
        QFETCH(QStringList, extra);
        PtyPhone phone;
        NEED_PHONE(phone);
        const QString jarTool = QStandardPaths::findExecutable(u"jar"_qs);
        if (jarTool.isEmpty())
            QSKIP("the jar tool is not installed");
        QDir().mkpath(phone.scratch(u"src"_qs));
        QFile cls(phone.scratch(u"src/Main.class"_qs));
        QVERIFY(cls.open(QIODevice::WriteOnly));
        cls.write(QByteArray(700, 'x'));
        cls.close();
        QFile mf(phone.scratch(u"manifest.txt"_qs));
        QVERIFY(mf.open(QIODevice::WriteOnly));
        mf.write("MIDlet-Name: Demo\nMIDlet-1: Demo,,Main\n");
        mf.close();
        const QString jar = phone.scratch(u"demo.jar"_qs);
        QCOMPARE(QProcess::execute(jarTool, {u"cfm"_qs, jar, phone.scratch(u"manifest.txt"_qs), u"-C"_qs,
                                             phone.scratch(u"src"_qs), u"Main.class"_qs}),
                 0);
        const Run r = phone.run(QStringList{u"install"_qs, jar, u"--kind"_qs, u"app"_qs} + extra);
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QString folder = u"brew/mod/java_ams/config/apps/"_qs;
        QCOMPARE(fileBytes(phone.brew(folder + u"demo.jar"_qs)), fileBytes(jar));
        const QByteArray jad = fileBytes(phone.brew(folder + u"demo.jad"_qs));
        QVERIFY2(jad.startsWith("MIDlet-Jar-Size: " + QByteArray::number(QFileInfo(jar).size())
                                + "\r\nMIDlet-Jar-URL: demo.jar\r\nManifest-Version: 1.0"),
                 jad.constData());
        QVERIFY(jad.contains("MIDlet-1: Demo,,Main"));
        QVERIFY2(phone.anomalies().isEmpty(), phone.anomalies().constData());
    }

    // An existing file that may not be replaced stops the command before the phone is asked.
    void keepsExistingFile()
    {
        PtyPhone phone;
        NEED_PHONE(phone);
        const QString out = phone.scratch(u"shot.bmp"_qs);
        QFile f(out);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("mine");
        f.close();
        const Run r = phone.run({u"capture"_qs, out});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(fileBytes(out), QByteArray("mine"));
        QVERIFY(!QFileInfo::exists(phone.brew(u"DispCapture.bmp"_qs)));
    }
};

VANDREL_TEST(CliToolsTest)
#include "tst_cli_tools.moc"
