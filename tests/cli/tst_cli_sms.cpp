// vandrel-cli sms against the virtual phone on pseudo-terminals.
#include "cli/clitest.h"
#include "common/testmain.h"

#include <QProcess>

using clitest::cli;

namespace {

QStringList rows(const QByteArray &out) { return QString::fromUtf8(out).split(u'\n', Qt::SkipEmptyParts); }

QStringList firstFields(const QStringList &lines)
{
    QStringList out;
    for (const QString &l : lines)
        out << l.section(u'\t', 0, 0);
    return out;
}

} // namespace

class CliSmsTest : public QObject {
    Q_OBJECT
    clitest::PtyPhone m_phone;

    QStringList args(const QStringList &rest) const { return QStringList{QStringLiteral("--modem"), m_phone.modemLink()} + rest; }

private slots:
    void initTestCase()
    {
        if (!m_phone.start())
            QSKIP("vandrel-phone is not built or made no links");
    }

    void list_data()
    {
        QTest::addColumn<QStringList>("filter");
        QTest::addColumn<QStringList>("indexes");
        QTest::newRow("sent") << QStringList{QStringLiteral("--filter"), QStringLiteral("sent")}
                              << QStringList{QStringLiteral("10"), QStringLiteral("16")};
        QTest::newRow("unsent") << QStringList{QStringLiteral("--filter"), QStringLiteral("unsent")}
                                << QStringList{QStringLiteral("13"), QStringLiteral("14")};
    }
    void list()
    {
        QFETCH(QStringList, filter);
        QFETCH(QStringList, indexes);
        const auto r = cli(args(QStringList{QStringLiteral("sms"), QStringLiteral("list")} + filter));
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QStringList lines = rows(r.out);
        QCOMPARE(firstFields(lines), indexes);
        for (const QString &l : lines)
            QCOMPARE(l.count(u'\t'), 5);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("command");
        QTest::newRow("unknown filter") << QStringList{QStringLiteral("list"), QStringLiteral("--filter"), QStringLiteral("new")};
        QTest::newRow("export without file") << QStringList{QStringLiteral("export")};
        QTest::newRow("export other type") << QStringList{QStringLiteral("export"), QStringLiteral("x.txt")};
        QTest::newRow("rm without index") << QStringList{QStringLiteral("rm")};
        QTest::newRow("rm of a word") << QStringList{QStringLiteral("rm"), QStringLiteral("první")};
        QTest::newRow("send without --to") << QStringList{QStringLiteral("send"), QStringLiteral("Ahoj")};
        QTest::newRow("send without text") << QStringList{QStringLiteral("send"), QStringLiteral("--to"), QStringLiteral("602123456")};
        QTest::newRow("send with weeks") << QStringList{QStringLiteral("send"), QStringLiteral("--to"), QStringLiteral("602123456"),
                                                        QStringLiteral("--validity"), QStringLiteral("2w"), QStringLiteral("x")};
        QTest::newRow("send with a short centre") << QStringList{QStringLiteral("send"), QStringLiteral("--to"), QStringLiteral("602123456"),
                                                                 QStringLiteral("--smsc"), QStringLiteral("+42060305"), QStringLiteral("x")};
    }
    void usageErrors()
    {
        QFETCH(QStringList, command);
        const auto r = cli(args(QStringList{QStringLiteral("sms")} + command));
        QCOMPARE(r.exitCode, 2);
        QVERIFY(r.out.isEmpty());
    }

    void exportCsvThenRemoveJoined()
    {
        const QString file = m_phone.scratch(QStringLiteral("zaloha.csv"));
        const auto exported = cli(args({QStringLiteral("sms"), QStringLiteral("export"), file}));
        QVERIFY2(exported.exitCode == 0, exported.err.constData());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString csv = QString::fromUtf8(f.readAll());
        QVERIFY(csv.contains(QStringLiteral("12+4+9,")));
        QVERIFY(csv.contains(QStringLiteral("Milá Žofie")));

        const auto removed = cli(args({QStringLiteral("sms"), QStringLiteral("rm"), QStringLiteral("12+4+9")}));
        QVERIFY2(removed.exitCode == 0, removed.err.constData());
        const auto after = cli(args({QStringLiteral("sms"), QStringLiteral("list")}));
        QVERIFY2(after.exitCode == 0, after.err.constData());
        const QStringList left = firstFields(rows(after.out));
        QVERIFY(left.contains(QStringLiteral("3+7")));
        for (const QString &gone : {QStringLiteral("12+4+9"), QStringLiteral("4"), QStringLiteral("9"), QStringLiteral("12")})
            QVERIFY(!left.contains(gone));

        const auto missing = cli(args({QStringLiteral("sms"), QStringLiteral("rm"), QStringLiteral("777")}));
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains("777"));
        QVERIFY2(m_phone.anomalies().isEmpty(), m_phone.anomalies().constData());
    }

    void sendData_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("parts");
        QTest::addColumn<QString>("says");
        // The phone's own centre lends the 9-digit number its country code.
        QTest::newRow("two parts from standard input") << QStringList{QStringLiteral("--to"), QStringLiteral("602123456")}
                                                       << QString(200, u'x') << 0 << 2 << QString();
        QTest::newRow("centre given, hours, report, plain")
            << QStringList{QStringLiteral("--to"), QStringLiteral("+44201234567"), QStringLiteral("--smsc"),
                           QStringLiteral("+420603111222"), QStringLiteral("--validity"), QStringLiteral("6h"),
                           QStringLiteral("--report"), QStringLiteral("--plain")}
            << QStringLiteral("Žluťoučký kůň") << 0 << 1 << QString();
        QTest::newRow("eight digits refused") << QStringList{QStringLiteral("--to"), QStringLiteral("12345678")}
                                              << QStringLiteral("x") << 1 << 0 << QStringLiteral("\"12345678\" is not a number");
        QTest::newRow("too long") << QStringList{QStringLiteral("--to"), QStringLiteral("602123456")}
                                  << QString(756, u'x') << 1 << 0 << QStringLiteral("756 / 755");
    }
    // One line per part on stdout; a refusal is one line on stderr and exit 1.
    void sendData()
    {
        QFETCH(QStringList, options);
        QFETCH(QString, text);
        QFETCH(int, exitCode);
        QFETCH(int, parts);
        QFETCH(QString, says);
        QProcess p;
        p.start(clitest::binary("vandrel-cli"), args(QStringList{QStringLiteral("sms"), QStringLiteral("send")} + options
                                                     + QStringList{QStringLiteral("-")}));
        QVERIFY(p.waitForStarted());
        p.write(text.toUtf8() + '\n');
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(120000));
        const QByteArray err = p.readAllStandardError();
        QVERIFY2(p.exitCode() == exitCode, err.constData());
        const QStringList lines = rows(p.readAllStandardOutput());
        QCOMPARE(lines.size(), parts);
        for (int i = 0; i < parts; ++i)
            QVERIFY2(lines[i].startsWith(QStringLiteral("part %1/%2\treference ").arg(i + 1).arg(parts)), qPrintable(lines[i]));
        QVERIFY2(QString::fromUtf8(err).contains(says), err.constData());
        QVERIFY2(m_phone.anomalies().isEmpty(), m_phone.anomalies().constData());
    }

    void watchPrintsNewMessages()
    {
        QProcess watch;
        watch.start(clitest::binary("vandrel-cli"), args({QStringLiteral("sms"), QStringLiteral("watch")}));
        QVERIFY(watch.waitForStarted());
        QByteArray err;
        QTRY_VERIFY2_WITH_TIMEOUT((err += watch.readAllStandardError()).contains("watching"), err.constData(), 60000);
        m_phone.type("sms +420602123456 Nová zpráva");
        m_phone.type("sms +420731987654 Druhá");
        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += watch.readAllStandardOutput()).count('\n') >= 2, 60000);
        watch.terminate();
        watch.waitForFinished(5000);
        const QStringList lines = rows(out);
        QVERIFY(lines[0].endsWith(QStringLiteral("\tNová zpráva")));
        QCOMPARE(lines[0].section(u'\t', 1, 1), QStringLiteral("unread"));
        QCOMPARE(lines[0].section(u'\t', 3, 3), QStringLiteral("+420602123456"));
        QVERIFY(lines[1].endsWith(QStringLiteral("\tDruhá")));
    }
};

VANDREL_TEST(CliSmsTest)
#include "tst_cli_sms.moc"
