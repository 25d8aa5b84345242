#include "common/testmain.h"

#include <core/phonedb/accounts.h>
#include <core/phonedb/dump.h>
#include <core/phonedb/folder.h>
#include <core/phonedb/groups.h>

#include <QHash>
#include <QRandomGenerator>
#include <QTest>

using namespace vandrel::phonedb;
using Folder = QMap<QString, QByteArray>;

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
// An account file as another writer left it: bytes the layout does not name, a flag byte 7,
// a tail after the last slot.
QByteArray foreignAccount()
{
    QByteArray f = writeAccount(sample(1), 4).value();
    f = put(f, 0x000, QByteArray("\x04\x00\x01\x00", 4));
    f = put(f, 0x100, "\x77"); // after the end of the POP3 server, inside its slot
    f = put(f, 0x251, "\xAA\xBB\xCC");
    f = put(f, 0x108, "\x07");
    return f + QByteArray(16, '\xEE');
}

QByteArray profileFile()
{
    QByteArray f(0x1A8, '\0');
    f = put(f, 0x002, ucs2(QStringLiteral("Internet Ž")));
    f = put(f, 0x023, QByteArray("\x01\x00", 2));
    f = put(f, 0x025, QByteArray("10.0.0.1"));
    f = put(f, 0x0A6, QByteArray("\x1F\x90", 2));
    f = put(f, 0x0A8, ucs2(QStringLiteral("login")));
    return put(f, 0x128, ucs2(QStringLiteral("heslo")));
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
        QTest::newRow("cut inside the second entry") << (groupEntry("Rodina", 1) + groupEntry("Prace", 2)).left(24) << QStringList{QStringLiteral("1;Rodina")} << 1;
        QTest::newRow("a line break in a name stays in its line") << groupEntry("A\r\nB", 3) << QStringList{QStringLiteral("3;A  B")} << 0;
        QTest::newRow("too large") << QByteArray(kMaxDatabaseFileSize + 1, '\0') << QStringList{} << 1;
    }
    void groups()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, sideLines);
        QFETCH(int, problems);
        const GroupList list = ReadGroups(file, QStringLiteral("copy/groups.db"));
        QCOMPARE(list.sideLines(), sideLines);
        QCOMPARE(list.problems.size(), qsizetype(problems));
        for (const QString &p : list.problems)
            QVERIFY2(p.contains(QStringLiteral("copy/groups.db")), qPrintable(p));
        if (!list.groups.isEmpty() && !list.groups[0].name.contains(u'\n'))
            QCOMPARE(list.groups[0].listItem(), QString(sideLines[0]).replace(u';', QStringLiteral(": ")));
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
        const GProfil p = readProfile(profileFile());
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

    void checkedReaders_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("profile");
        QTest::addColumn<QString>("refusal"); // empty: read
        const QByteArray account = writeAccount(sample(1), 1).value();
        QTest::newRow("account") << account << false << QString();
        QTest::newRow("account cut in its last text") << account.left(0x5E2) << false << u"smtpUserId"_qs;
        QTest::newRow("account cut in a port") << account.left(0x107) << false << u"pop3Port"_qs;
        QTest::newRow("empty account") << QByteArray() << false << u"accountName"_qs;
        QTest::newRow("account too large") << account + QByteArray(kMaxDatabaseFileSize, '\0') << false << u"too large"_qs;
        QTest::newRow("profile") << profileFile() << true << QString();
        QTest::newRow("profile cut in its password") << profileFile().left(0x12A) << true << u"password"_qs;
        QTest::newRow("profile too large") << QByteArray(kMaxDatabaseFileSize + 1, '\1') << true << u"too large"_qs;
    }
    void checkedReaders()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, profile);
        QFETCH(QString, refusal);
        const QString error = profile ? readProfileFile(bytes, u"dir/p9"_qs).error() : readAccountFile(bytes, u"dir/a9"_qs).error();
        QVERIFY2(refusal.isEmpty() ? error.isEmpty() : error.contains(refusal) && error.contains(u"dir/"_qs), qPrintable(error));
    }

    void loadFolder_data()
    {
        QTest::addColumn<LoadSelection>("selection");
        QTest::addColumn<Folder>("files");
        QTest::addColumn<QStringList>("accounts");
        QTest::addColumn<int>("profiles");
        QTest::addColumn<bool>("replaceSideFile");
        QTest::addColumn<int>("problems");
        const QByteArray groups = groupEntry("Rodina", 1) + groupEntry("VIP", 12);
        const QByteArray account5 = writeAccount(sample(5), 5).value();
        const Folder folder = {{u"account2"_qs, writeAccount(sample(2), 2).value()}, {u"account5"_qs, account5},
                               {u"profile3"_qs, profileFile()}, {kGroupFileName, groups}};
        const QStringList twoAndFive = {sample(2).accountName, sample(5).accountName};
        QTest::newRow("accounts 2 and 5 are items 0 and 1") << LoadSelection{} << folder << twoAndFive << 1 << true << 0;
        QTest::newRow("profiles unchecked: no profiles") << LoadSelection{true, false, true} << folder << twoAndFive << 0 << true << 0;
        QTest::newRow("groups unchecked: side file kept") << LoadSelection{false, true, true} << folder << twoAndFive << 1 << false << 0;
        const Folder damaged = {{u"account3"_qs, writeAccount(sample(3), 3).value().left(0x300)}, {u"account5"_qs, account5},
                                {kGroupFileName, groups.chopped(5)}};
        QTest::newRow("damaged files reported, the others read") << LoadSelection{} << damaged << QStringList{sample(5).accountName} << 0 << false << 2;
    }
    void loadFolder()
    {
        QFETCH(LoadSelection, selection);
        QFETCH(Folder, files);
        QFETCH(QStringList, accounts);
        QFETCH(int, profiles);
        QFETCH(bool, replaceSideFile);
        QFETCH(int, problems);
        const FolderContent content = loadDatabaseFolder(selection, files);
        QStringList names;
        for (const AccountRecord &r : content.accounts)
            names.append(r.account.accountName);
        QCOMPARE(names, accounts);
        QCOMPARE(content.profiles.size(), qsizetype(profiles));
        QCOMPARE(content.replaceGroupSideFile, replaceSideFile);
        QCOMPARE(content.problems.size(), qsizetype(problems));
        if (replaceSideFile)
            QCOMPARE(content.groups.sideLines(), (QStringList{u"1;Rodina"_qs, u"12;VIP"_qs}));
    }

    void writeKeepsUnknownBytes_data()
    {
        QTest::addColumn<TEmail>("edited");
        QTest::addColumn<int>("from"); // only bytes in [from, to) may change
        QTest::addColumn<int>("to");
        const TEmail read = readAccount(foreignAccount());
        QTest::newRow("unchanged: byte for byte") << read << 0 << 0;
        TEmail a = read;
        a.pop3Server = u"p.cz"_qs;
        a.pop3Port = u"995"_qs;
        QTest::newRow("shorter server, new port") << a << 0x086 << 0x108;
        a = read;
        a.signature = QString(200, u'ř');
        QTest::newRow("longer signature") << a << 0x3DE << 0x5DE;
        a = read;
        a.pop3Ssl = false;
        QTest::newRow("flag off") << a << 0x108 << 0x109;
        a = read;
        a.accountName = u"Nový"_qs;
        QTest::newRow("shorter name") << a << 0x004 << 0x085;
    }
    void writeKeepsUnknownBytes()
    {
        QFETCH(TEmail, edited);
        QFETCH(int, from);
        QFETCH(int, to);
        const QByteArray original = foreignAccount();
        AccountRecord record = readAccountFile(original, u"account4"_qs).value();
        record.account = edited;
        const auto file = writeAccount(record, 1);
        QVERIFY2(file.ok(), qPrintable(file.error()));
        QCOMPARE(readAccount(*file), edited);
        QCOMPARE(file->size(), original.size());
        QCOMPARE(file->left(from), original.left(from));
        QCOMPARE(file->mid(to), original.mid(to));
    }

    void writtenFolderReadsBack()
    {
        const QList<AccountRecord> table = {readAccountFile(foreignAccount(), u"account4"_qs).value(), newAccount(u"Nový"_qs).value(),
                                            AccountRecord{sample(2), {}, {}}};
        const auto plan = planAccountWrite(table, {u"account1"_qs, u"account7"_qs, u"profile1"_qs});
        QVERIFY2(plan.ok(), qPrintable(plan.error()));
        QCOMPARE(plan->existing, QStringList{u"account1"_qs});
        QCOMPARE(plan->obsolete, QStringList{u"account7"_qs});
        Folder folder;
        for (const AccountFile &f : plan->files)
            folder.insert(f.name, f.bytes);
        QCOMPARE(folder.value(u"account1"_qs), foreignAccount());
        const FolderContent back = loadDatabaseFolder({}, folder);
        QCOMPARE(back.problems, QStringList());
        QCOMPARE(back.accounts.size(), table.size());
        for (qsizetype i = 0; i < table.size(); ++i)
            QCOMPARE(back.accounts[i].account, table[i].account);
    }

    void writeRefusesTheWholeTable_data()
    {
        QTest::addColumn<QList<AccountRecord>>("table");
        QTest::addColumn<QString>("refusal");
        AccountRecord tooLong{sample(2), {}, {}};
        tooLong.account.pop3Server = QString(125, u'p');
        QTest::newRow("second server too long") << QList<AccountRecord>{{sample(1), {}, {}}, tooLong} << u"account 2 (\"Účet 2 č\"), pop3Server"_qs;
        QTest::newRow("21 accounts") << QList<AccountRecord>(21, AccountRecord{sample(1), {}, {}}) << u"21 accounts"_qs;
        QTest::newRow("none") << QList<AccountRecord>{} << u"no accounts"_qs;
    }
    void writeRefusesTheWholeTable()
    {
        QFETCH(QList<AccountRecord>, table);
        QFETCH(QString, refusal);
        const auto plan = planAccountWrite(table, {});
        QVERIFY2(!plan.ok() && plan.error().contains(refusal), qPrintable(plan.error()));
    }

    void storeAccount_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored"); // empty: refused, naming the account and the field
        QTest::newRow("port as a plain number") << u"pop3Port"_qs << u" 0995 "_qs << u"995"_qs;
        QTest::newRow("port not a number") << u"smtpPort"_qs << u"25a"_qs << QString();
        QTest::newRow("port out of range") << u"imap4Port"_qs << u"65536"_qs << QString();
        QTest::newRow("empty number") << u"maxMessageSize"_qs << QString() << QString();
        QTest::newRow("text too long") << u"replyTo"_qs << QString(61, u'r') << QString();
        QTest::newRow("the name stays") << u"accountName"_qs << u"Jiný"_qs << sample(1).accountName;
    }
    void storeAccount()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, stored);
        const QHash<QString, QString TEmail::*> members = {{u"pop3Port"_qs, &TEmail::pop3Port}, {u"smtpPort"_qs, &TEmail::smtpPort},
            {u"imap4Port"_qs, &TEmail::imap4Port}, {u"maxMessageSize"_qs, &TEmail::maxMessageSize}, {u"replyTo"_qs, &TEmail::replyTo},
            {u"accountName"_qs, &TEmail::accountName}};
        TEmail controls = sample(1);
        controls.*members.value(field) = value;
        const auto result = vandrel::phonedb::storeAccount(sample(1), controls);
        if (stored.isEmpty())
            QVERIFY2(!result.ok() && result.error().contains(field) && result.error().contains(sample(1).accountName), qPrintable(result.error()));
        else
            QCOMPARE(result.value().*members.value(field), stored);
    }

    void storeProfile_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<int>("stored"); // -1: refused
        QTest::newRow("number") << u"8080"_qs << 8080;
        QTest::newRow("blanks") << u" 80 "_qs << 80;
        QTest::newRow("letters") << u"80x"_qs << -1;
        QTest::newRow("too big") << u"70000"_qs << -1;
        QTest::newRow("empty") << QString() << -1;
    }
    void storeProfile()
    {
        QFETCH(QString, port);
        QFETCH(int, stored);
        const GProfil current{u"Internet"_qs, 0, 1, u"old"_qs, 1, {}, {}};
        const auto result = vandrel::phonedb::storeProfile(current, {u"WAP"_qs, true, false, u"10.0.0.1"_qs, port, u"login"_qs, u"heslo"_qs});
        if (stored < 0)
            QVERIFY2(!result.ok() && result.error().contains(u"proxyPort"_qs), qPrintable(result.error()));
        else
            QCOMPARE(result.value(), (GProfil{u"WAP"_qs, 1, 0, u"10.0.0.1"_qs, stored, u"login"_qs, u"heslo"_qs}));
    }

    void dumpTool()
    {
        QCOMPARE(unescapeDump("\x7D\x5D\x7D\x5E\x7D\x41"), QByteArray("\x7D\x7E\x7D\x41"));
        const QStringList taken = {u"/d/x.y/mem.dat"_qs, u"/d/x.y/mem-unescaped.dat"_qs, u"/d/x.y/mem-unescaped-2.dat"_qs};
        const auto exists = [&](const QString &p) { return taken.contains(p); };
        QCOMPARE(unescapedDumpPath(u"/d/x.y/mem.dat"_qs, exists), u"/d/x.y/mem-unescaped-3.dat"_qs);
        QCOMPARE(unescapedDumpPath(u"/d/x.y/.mem"_qs, exists), u"/d/x.y/.mem-unescaped"_qs);
    }

    void fileNames()
    {
        QCOMPARE(accountFileName(7), QStringLiteral("account7"));
        QCOMPARE(profileFileName(20), QStringLiteral("profile20"));
    }
};

VANDREL_TEST(PhoneDbTest)
#include "tst_phonedb.moc"
