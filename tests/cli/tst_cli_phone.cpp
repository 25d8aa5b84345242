#include "common/testmain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
QString bin(const char *name) { return QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(name); }
} // namespace

// The command-line tool against the virtual phone on real pseudo-terminals.
class CliPhoneTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QProcess m_phone;
    QString m_modem;

    struct Run {
        int exit;
        QString out, err;
    };
    Run cli(const QStringList &args)
    {
        QProcess p;
        p.start(bin("vandrel-cli"), args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    }

private slots:
    void initTestCase()
    {
        if (!QFileInfo::exists(bin("vandrel-phone")))
            QSKIP("vandrel-phone is not built");
        m_modem = m_dir.filePath(QStringLiteral("modem"));
        m_phone.start(bin("vandrel-phone"), {QStringLiteral("--modem-link"), m_modem, QStringLiteral("--diag-link"),
                                             m_dir.filePath(QStringLiteral("diag")), QStringLiteral("--root"),
                                             m_dir.filePath(QStringLiteral("phone")), QStringLiteral("--split"),
                                             QStringLiteral("random:9")});
        QVERIFY(m_phone.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_modem), 20000);
    }
    void cleanupTestCase()
    {
        m_phone.terminate();
        m_phone.waitForFinished(5000);
    }

    void info()
    {
        const Run r = cli({QStringLiteral("--modem"), m_modem, QStringLiteral("info")});
        QVERIFY2(r.exit == 0, qPrintable(r.err));
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 9);
        QVERIFY(lines.first().startsWith(QStringLiteral("Manufacturer: ")));
        QVERIFY(lines.at(4).startsWith(QStringLiteral("Battery: ")));
    }

    void listFolders_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("row");
        QTest::newRow("root") << QString() << QStringLiteral("[mmc]\t  <DIR>\t");
        QTest::newRow("trailing slash") << QStringLiteral("mmc/") << QStringLiteral("[Obrázky]\t  <DIR>\t");
        QTest::newRow("deeper") << QStringLiteral("mmc/Obrázky")
                                << QStringLiteral("Dovolená & hory.jpg\t18004\t07.03.2005 09:05:01");
    }
    void listFolders()
    {
        QFETCH(QString, folder);
        QFETCH(QString, row);
        QStringList args{QStringLiteral("--modem"), m_modem, QStringLiteral("obex"), QStringLiteral("ls")};
        if (!folder.isEmpty())
            args << folder;
        const Run r = cli(args);
        QVERIFY2(r.exit == 0, qPrintable(r.err));
        const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY2(std::any_of(lines.cbegin(), lines.cend(), [&](const QString &l) { return l.startsWith(row); }),
                 qPrintable(r.out));
        for (const QString &l : lines)
            QCOMPARE(l.count(QLatin1Char('\t')), 2);
    }

    void missingFolderFails()
    {
        const Run r = cli({QStringLiteral("--modem"), m_modem, QStringLiteral("obex"), QStringLiteral("ls"),
                           QStringLiteral("mmc/nowhere")});
        QCOMPARE(r.exit, 1);
        QVERIFY(r.out.isEmpty());
        QVERIFY2(r.err.contains(QStringLiteral("not found")), qPrintable(r.err));
    }

    void missingPortFails()
    {
        const Run r = cli({QStringLiteral("--modem"), m_dir.filePath(QStringLiteral("none")), QStringLiteral("info")});
        QCOMPARE(r.exit, 1);
        QVERIFY(r.err.contains(QStringLiteral("does not exist")));
    }
};

VANDREL_TEST(CliPhoneTest)
#include "tst_cli_phone.moc"
