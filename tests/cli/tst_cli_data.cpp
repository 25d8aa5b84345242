#include "common/testmain.h"

#include <core/phonebook/pbmfile.h>
#include <core/phonedb/accounts.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Run {
    int code = -1;
    QString out;
    QString err;
};

Run cli(const QStringList &args)
{
    QProcess p;
    p.setStandardInputFile(QProcess::nullDevice());
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/vandrel-cli"), args);
    p.waitForFinished(60000);
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray read(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const QString kJson = QStringLiteral(
    R"([{"firstName":"Jan","surname":"Novák","privateMobile":"602","defaultNumber":3,"group":2,"birthday":"05.11.1975","privateCity":"Brno"},)"
    R"({"surname":"Dvořák","privateNotes":"tab\there"}])");
} // namespace

class CliDataTest : public QObject {
    Q_OBJECT
private slots:
    void pdu_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::newRow("encode hello") << QStringList{QStringLiteral("pdu"), QStringLiteral("encode"), QStringLiteral("--to"), QStringLiteral("420123456789"),
                                                     QStringLiteral("--validity"), QStringLiteral("AA"), QStringLiteral("hello")}
                                      << 0 << QStringLiteral("0011000C912410325476980000AA05E8329BFD06\t19\n");
        QTest::newRow("encode with report, default validity")
            << QStringList{QStringLiteral("pdu"), QStringLiteral("encode"), QStringLiteral("--report"), QStringLiteral("--to"), QStringLiteral("+420123456789"), QStringLiteral("hello")}
            << 0 << QStringLiteral("0031000C912410325476980000C405E8329BFD06\t19\n");
        QTest::newRow("decode received czech")
            << QStringList{QStringLiteral("pdu"), QStringLiteral("decode"),
                           QStringLiteral("0791246030500200000C91241032547698000870105180030000080159002000E8000A")}
            << 0 << QStringLiteral("received\t+420603052000\t+420123456789\t15.01.2007 08:30:00 +00:00\tucs2\t\tř è\\n\n");
        QTest::newRow("decode garbage") << QStringList{QStringLiteral("pdu"), QStringLiteral("decode"), QStringLiteral("0G")} << 1 << QString();
        QTest::newRow("encode bad number") << QStringList{QStringLiteral("pdu"), QStringLiteral("encode"), QStringLiteral("--to"), QStringLiteral("12a"), QStringLiteral("x")}
                                           << 1 << QString();
        QTest::newRow("encode without text") << QStringList{QStringLiteral("pdu"), QStringLiteral("encode"), QStringLiteral("--to"), QStringLiteral("1")} << 2 << QString();
        QTest::newRow("bad validity") << QStringList{QStringLiteral("pdu"), QStringLiteral("encode"), QStringLiteral("--to"), QStringLiteral("1"),
                                                     QStringLiteral("--validity"), QStringLiteral("XYZ"), QStringLiteral("x")} << 2 << QString();
        QTest::newRow("decode nothing") << QStringList{QStringLiteral("pdu"), QStringLiteral("decode")} << 2 << QString();
    }
    void pdu()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        QFETCH(QString, out);
        const Run r = cli(args);
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, out);
        if (code != 0) {
            QVERIFY(r.err.startsWith(QStringLiteral("vandrel-cli: ")));
        }
    }

    void twoPartsPrintTwoRows()
    {
        const Run r = cli({QStringLiteral("pdu"), QStringLiteral("encode"), QStringLiteral("--to"), QStringLiteral("420123456789"), QString(200, u'a')});
        QCOMPARE(r.code, 0);
        const QStringList rows = r.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(rows.size(), qsizetype(2));
        QVERIFY(rows[0].contains(QStringLiteral("050003310201")));
        QVERIFY(rows[1].endsWith(QStringLiteral("\t62")));
    }

    void phonebookConversions()
    {
        QTemporaryDir dir;
        const auto path = [&](const char *name) { return dir.filePath(QString::fromLatin1(name)); };
        QVERIFY(write(path("in.json"), kJson.toUtf8()));
        for (const char *out : {"book.dat", "book.csv", "book.xls", "book.json"}) {
            const Run r = cli({QStringLiteral("phonebook"), QStringLiteral("convert"), path("in.json"), path(out)});
            QVERIFY2(r.code == 0, qPrintable(r.err));
        }
        const Run shown = cli({QStringLiteral("phonebook"), QStringLiteral("show"), path("book.dat")});
        QCOMPARE(shown.code, 0);
        QCOMPARE(shown.out, QStringLiteral("Novák, Jan\t602\t\t\tBrno\t\t\t05.11.1975\nDvořák\t\t\t\t\t\t\t\n"));
        QCOMPARE(read(path("book.csv")), QByteArray("Nov\xE1k;Jan;602;;;;;;;;;Brno;;;;;;;;;;;;;;;;;;;;;05.11.1975;\x02\r"
                                                    "Dvo\xF8\xE1k;;;;;;;;;;;;;;;;tab\there;;;;;;;;;;;;;;;;;\r"));
        QVERIFY(read(path("book.xls")).startsWith(QByteArray::fromHex("09080800000010000000000042000200E204")));

        // .dat -> .json -> .dat keeps the file byte for byte.
        QVERIFY(cli({QStringLiteral("phonebook"), QStringLiteral("convert"), path("book.dat"), path("again.json")}).code == 0);
        QVERIFY(cli({QStringLiteral("phonebook"), QStringLiteral("convert"), path("again.json"), path("again.dat")}).code == 0);
        QCOMPARE(read(path("again.dat")), read(path("book.dat")));
        QCOMPARE(vandrel::phonebook::DecodeAddressBook(read(path("book.dat"))).contacts.at(0).defaultNumber, quint8(3));
    }

    void phonebookRefusals()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(QStringLiteral("in.json"));
        const QString out = dir.filePath(QStringLiteral("out.dat"));
        QVERIFY(write(in, R"([{"surname":"X","birthday":"31.02.2000"}])"));
        Run r = cli({QStringLiteral("phonebook"), QStringLiteral("convert"), in, out});
        QCOMPARE(r.code, 1);
        QVERIFY2(r.err.contains(QStringLiteral("birthday")), qPrintable(r.err));
        QVERIFY(!QFile::exists(out));

        QVERIFY(write(in, R"([{"surnam":"X"}])"));
        r = cli({QStringLiteral("phonebook"), QStringLiteral("convert"), in, out});
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.contains(QStringLiteral("surnam")));

        QVERIFY(write(in, R"([{"surname":"X"}])"));
        QVERIFY(write(out, "old"));
        r = cli({QStringLiteral("phonebook"), QStringLiteral("convert"), in, out});
        QCOMPARE(r.code, 1); // "ask" without a terminal refuses
        QCOMPARE(read(out), QByteArray("old"));
        r = cli({QStringLiteral("--overwrite"), QStringLiteral("no"), QStringLiteral("phonebook"), QStringLiteral("convert"), in, out});
        QCOMPARE(r.code, 1);
        QCOMPARE(read(out), QByteArray("old"));
        r = cli({QStringLiteral("--overwrite"), QStringLiteral("yes"), QStringLiteral("phonebook"), QStringLiteral("convert"), in, out});
        QCOMPARE(r.code, 0);
        QCOMPARE(vandrel::phonebook::DecodeAddressBook(read(out)).contacts.size(), qsizetype(1));

        r = cli({QStringLiteral("phonebook"), QStringLiteral("convert"), in, dir.filePath(QStringLiteral("out.txt"))});
        QCOMPARE(r.code, 2);
        r = cli({QStringLiteral("phonebook"), QStringLiteral("show"), dir.filePath(QStringLiteral("missing.dat"))});
        QCOMPARE(r.code, 1);
    }

    void calendarShow()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("master_events.dat"));
        QVERIFY(write(file, "BEGIN:VCALENDAR\r\nVERSION:1.0\r\nBEGIN:VEVENT\r\nUID:5\r\nDTSTART:20070115T083000Z\r\n"
                            "DTEND:20070115T233000Z\r\nDALARM:20070115T080000Z\r\nSUMMARY;ENCODING=QUOTED-PRINTABLE:Sch=C5=AFzka\r\n"
                            "END:VEVENT\r\nEND:VCALENDAR\r\n"));
        Run r = cli({QStringLiteral("calendar"), QStringLiteral("show"), file});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("5\t15.01.2007\t9:30:00\t16.01.2007\t0:30:00\t\t15.01.2007 9:00:00\tSchůzka\n"));
        QVERIFY(write(file, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nEND:VCALENDAR\r\n"));
        r = cli({QStringLiteral("calendar"), QStringLiteral("show"), file});
        QCOMPARE(r.code, 1);
        QVERIFY(r.out.isEmpty());
    }

    void phonedbShow()
    {
        QTemporaryDir dir;
        vandrel::phonedb::TEmail a;
        a.accountName = QStringLiteral("Práce");
        a.emailAddress = QStringLiteral("jan@example.cz");
        a.pop3Server = QStringLiteral("pop.example.cz");
        a.pop3Port = QStringLiteral("110");
        a.smtpServer = QStringLiteral("smtp.example.cz");
        a.smtpPort = QStringLiteral("25");
        a.imap4Port = a.maxMessageSize = QStringLiteral("0");
        a.dataProfile = 2;
        QVERIFY(write(dir.filePath(QStringLiteral("account5")), vandrel::phonedb::writeAccount(a, 5).value()));
        QVERIFY(write(dir.filePath(QStringLiteral("GrpDList ver 01.db")),
                      QByteArray("\x00\x04\x04\x08\x00\x00Rodina\x00\x03\x01\x01\x00\x00", 17)));
        const Run r = cli({QStringLiteral("phonedb"), QStringLiteral("show"), dir.path()});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, QStringLiteral("group\t1\tRodina\n"
                                       "account\taccount5\tPráce\tjan@example.cz\tPOP3\tpop.example.cz\t110\tsmtp.example.cz\t25\tprofile2\n"));
        QCOMPARE(cli({QStringLiteral("phonedb"), QStringLiteral("show"), dir.filePath(QStringLiteral("none"))}).code, 1);
    }
};

VANDREL_TEST(CliDataTest)
#include "tst_cli_data.moc"
