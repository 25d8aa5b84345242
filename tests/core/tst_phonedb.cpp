#include "common/testmain.h"

#include <core/phonedb/accounts.h>
#include <core/phonedb/groups.h>

#include <QRandomGenerator>
#include <QTest>

using namespace vandrel::phonedb;

namespace {
QByteArray groupEntry(const QByteArray &name, int number)
{
    // 00 04 04 M xx xx name, then the number after 03 01.
    return QByteArray("\x00\x04\x04", 3) + char(name.size() + 2) + "\x11\x22" + name + QByteArray("\x09\x03\x01", 3) + char(number)
           + QByteArray("\x00\x00\x00", 3);
}

QByteArray put(QByteArray f, int offset, const QByteArray &bytes)
{
    if (f.size() < offset + bytes.size())
        f.resize(offset + bytes.size(), '\0');
    f.replace(offset, bytes.size(), bytes);
    return f;
}

QByteArray ucs2(const QString &s)
{
    QByteArray b;
    for (const QChar c : s)
        b.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return b;
}

TEmail sample(int n)
{
    TEmail a;
    a.accountName = QStringLiteral("Účet %1 č").arg(n);
    a.userName = QStringLiteral("Jan Novák");
    a.emailAddress = QStringLiteral("jan%1@example.cz").arg(n);
    a.replyTo = QStringLiteral("reply@example.cz");
    a.userId = QStringLiteral("jan");
    a.password = QStringLiteral("heslo");
    a.smtpUserId = QStringLiteral("smtpjan");
    a.smtpPassword = QStringLiteral("smtpheslo");
    a.pop3Server = QStringLiteral("pop3.example.cz");
    a.pop3Port = QStringLiteral("110");
    a.smtpServer = QStringLiteral("smtp.example.cz");
    a.smtpPort = QStringLiteral("25");
    a.imap4Server = QStringLiteral("imap.example.cz");
    a.imap4Port = QStringLiteral("65535");
    a.maxMessageSize = QStringLiteral("300");
    a.signature = QStringLiteral("S pozdravem, Řehoř");
    a.dataProfile = 3;
    a.downloadMode = 2;
    a.signatureUse = 1;
    a.serverType = n % 2;
    a.pop3Ssl = true;
    a.smtpAuth = true;
    a.saveSent = n % 2;
    a.readReport = true;
    return a;
}
} // namespace

class PhoneDbTest : public QObject {
    Q_OBJECT
private slots:
    void groups_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("sideLines");
        QTest::addColumn<int>("problems");
        QTest::newRow("one entry") << (QByteArray("\x00\x04\x04\x07\xAA\xBB", 6) + "Prace" + QByteArray("\x00\x03\x01\x02", 4))
                                   << QStringList{QStringLiteral("2;Prace")} << 0;
        QTest::newRow("three entries, cp1250 name, two-digit number")
            << groupEntry("Rodina", 1) + groupEntry("P\xF8\xE1tel\xE9", 2) + groupEntry("VIP", 12)
            << QStringList{QStringLiteral("1;Rodina"), QStringLiteral("2;Přátelé"), QStringLiteral("12;VIP")} << 0;
        QTest::newRow("nothing") << QByteArray("\x01\x02\x03", 3) << QStringList{} << 0;
        QTest::newRow("name past the end") << QByteArray("\x00\x04\x04\x20\x00\x00" "Ab", 8) << QStringList{} << 1;
        QTest::newRow("no number") << QByteArray("\x00\x04\x04\x03\x00\x00" "A\x00\x00\x00", 10) << QStringList{} << 1;
        QTest::newRow("mark at the very end") << QByteArray("\x00\x04\x04", 3) << QStringList{} << 1;
    }
    void groups()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, sideLines);
        QFETCH(int, problems);
        const GroupList list = ReadGroups(file);
        QStringList lines;
        for (const Group &g : list.groups)
            lines.append(g.sideLine());
        QCOMPARE(lines, sideLines);
        QCOMPARE(list.problems.size(), qsizetype(problems));
        if (!list.groups.isEmpty())
            QCOMPARE(list.groups[0].listItem(), sideLines[0].replace(u';', QStringLiteral(": ")));
    }

    void comboTakesOneDigitNumbersOnly()
    {
        QCOMPARE(groupNamesFromSideLines({QStringLiteral("0;Bez skupiny"), QStringLiteral("1;Rodina"), QStringLiteral("12;VIP"), QString()}),
                 (QStringList{QStringLiteral("Bez skupiny"), QStringLiteral("Rodina")}));
    }

    void accountFields()
    {
        QByteArray f(0x600, '\0');
        f = put(f, 0x004, ucs2(QStringLiteral("Můj")));
        f = put(f, 0x106, QByteArray("\x50\x00", 2));
        f = put(f, 0x250, QByteArray("\x03"));
        f = put(f, 0x085, QByteArray("\x01"));
        f = put(f, 0x108, QByteArray("\x07")); // any non-zero byte is on
        f = put(f, 0x35D, QByteArray("jan@x.cz"));
        f = put(f, 0x25D, ucs2(QStringLiteral("Jan Ř")));
        f = put(f, 0x189, QByteArray("\x8F\x03", 2));
        const TEmail a = readAccount(f);
        QCOMPARE(a.accountName, QStringLiteral("Můj"));
        QCOMPARE(a.pop3Port, QStringLiteral("80"));
        QCOMPARE(a.imap4Port, QStringLiteral("911"));
        QCOMPARE(a.dataProfile, 3);
        QCOMPARE(a.serverType, 1);
        QVERIFY(a.pop3Ssl);
        QVERIFY(!a.imap4Ssl);
        QCOMPARE(a.emailAddress, QStringLiteral("jan@x.cz"));
        QCOMPARE(a.userName, QStringLiteral("Jan Ř"));
        QCOMPARE(a.smtpServer, QString());
    }

    void shortFilesAreSafe()
    {
        const QByteArray f = writeAccount(sample(1), 1).value();
        for (qsizetype n = 0; n <= f.size(); n += 7) {
            readAccount(f.left(n));
            readProfile(f.left(n));
        }
        QCOMPARE(readAccount({}).accountName, QString());
        QCOMPARE(readAccount({}).pop3Port, QStringLiteral("0"));
        QRandomGenerator rng(5);
        for (int round = 0; round < 500; ++round) {
            QByteArray b(rng.bounded(0, 0x700), '\0');
            for (auto &c : b)
                c = char(rng.bounded(4) ? 0 : rng.bounded(256));
            readAccount(b);
            readProfile(b);
            ReadGroups(b);
        }
    }

    void profileFields()
    {
        QByteArray f(0x1A8, '\0');
        f = put(f, 0x002, ucs2(QStringLiteral("Internet Ž")));
        f = put(f, 0x023, QByteArray("\x01\x00", 2));
        f = put(f, 0x025, QByteArray("10.0.0.1"));
        f = put(f, 0x0A6, QByteArray("\x1F\x90", 2));
        f = put(f, 0x0A8, ucs2(QStringLiteral("login")));
        f = put(f, 0x128, ucs2(QStringLiteral("heslo")));
        const GProfil p = readProfile(f);
        QCOMPARE(p.profileName, QStringLiteral("Internet Ž"));
        QCOMPARE(p.isHttp, 1);
        QCOMPARE(p.isSecure, 0);
        QCOMPARE(p.proxyServer, QStringLiteral("10.0.0.1"));
        QCOMPARE(p.proxyPort, 0x901F);
        QCOMPARE(p.login, QStringLiteral("login"));
        QCOMPARE(p.password, QStringLiteral("heslo"));
    }

    void writtenAccountsReadBack_data()
    {
        QTest::addColumn<TEmail>("account");
        QTest::newRow("full") << sample(1);
        QTest::newRow("other flags") << sample(2);
        TEmail empty;
        empty.accountName = QStringLiteral("Ā"); // a code unit whose low byte is zero
        empty.pop3Port = empty.smtpPort = empty.imap4Port = empty.maxMessageSize = QStringLiteral("0");
        QTest::newRow("empty fields") << empty;
        TEmail longest = sample(3);
        longest.pop3Server = QString(124, u'p');
        longest.signature = QString(254, u'ž');
        longest.accountName = QString(62, u'n');
        QTest::newRow("texts filling their slots") << longest;
    }
    void writtenAccountsReadBack()
    {
        QFETCH(TEmail, account);
        const auto file = writeAccount(account, 7);
        QVERIFY2(file.ok(), qPrintable(file.error()));
        QCOMPARE(readAccount(*file), account);
    }

    void writerRefuses_data()
    {
        QTest::addColumn<TEmail>("account");
        QTest::addColumn<QString>("field");
        TEmail a = sample(1);
        a.pop3Server = QString(125, u'p');
        QTest::newRow("server too long") << a << QStringLiteral("pop3Server");
        a = sample(1);
        a.smtpPort = QStringLiteral("65536");
        QTest::newRow("port too big") << a << QStringLiteral("smtpPort");
        a = sample(1);
        a.pop3Port = QStringLiteral("pop");
        QTest::newRow("port not a number") << a << QStringLiteral("pop3Port");
        a = sample(1);
        a.password = QStringLiteral("密码");
        QTest::newRow("not cp1250") << a << QStringLiteral("password");
        a = sample(1);
        a.signature = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("nul") << a << QStringLiteral("signature");
        a = sample(1);
        a.accountName = QString(63, u'n');
        QTest::newRow("name too long") << a << QStringLiteral("accountName");
        a = sample(1);
        a.dataProfile = 300;
        QTest::newRow("byte value") << a << QStringLiteral("dataProfile");
    }
    void writerRefuses()
    {
        QFETCH(TEmail, account);
        QFETCH(QString, field);
        const auto file = writeAccount(account, 1);
        QVERIFY(!file.ok());
        QVERIFY2(file.error().contains(field), qPrintable(file.error()));
    }

    void fileNames()
    {
        QCOMPARE(accountFileName(7), QStringLiteral("account7"));
        QCOMPARE(profileFileName(20), QStringLiteral("profile20"));
    }
};

VANDREL_TEST(PhoneDbTest)
#include "tst_phonedb.moc"
