// The phone's seeded database files, written by its own writer, as the client's readers see
// them: two independent sides of each file layout must agree.
#include "common/testmain.h"
#include "rig.h"

#include <core/calendar/vcalendar.h>
#include <core/phonebook/pbmfile.h>
#include <core/phonedb/accounts.h>
#include <core/phonedb/groups.h>
#include <phone-sim/virtualphone.h>

using namespace vandrel;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class SeededDatabasesTest : public QObject {
    Q_OBJECT
private slots:
    void addressBook()
    {
        QTemporaryDir dir(rig::scratchTemplate());
        phonesim::seedWhenEmpty(dir.path());
        const auto book = phonebook::DecodeAddressBook(fileBytes(phonesim::brewRootOf(dir.path()) + QStringLiteral("/pbm_master_v_20.dat")));
        QVERIFY2(book.problems.isEmpty(), qPrintable(book.problems.join(u'\n')));
        // first, surname, display, private/business phone, private/business mobile, e-mail, business e-mail,
        // birthday, group, default number
        const QList<QStringList> expected = {
            {u"Jan"_qs, u"Novák"_qs, {}, u"+420222111000"_qs, u"+420222333444"_qs, u"+420602123456"_qs,
             u"+420603987654"_qs, u"jan.novak@example.cz"_qs, u"novak@stavby-novak.cz"_qs, u"14.02.1975"_qs, u"1"_qs, u"3"_qs},
            {u"Věra"_qs, u"Dvořáková"_qs, {}, {}, {}, u"+420731987654"_qs, {}, u"vera@example.cz"_qs, {}, {}, u"2"_qs, u"3"_qs},
            {u"Petr"_qs, u"Černý"_qs, {}, u"+420244555666"_qs, {}, u"+420777000111"_qs, {}, {}, {}, u"01.09.1982"_qs, u"3"_qs, u"3"_qs},
            {u"Žofie"_qs, u"Šťastná"_qs, {}, {}, u"+420475111222"_qs, u"+420605555666"_qs, {}, u"zofie@example.cz"_qs, {}, {}, u"1"_qs, u"3"_qs},
            {{}, u"Růžička & syn"_qs, {}, {}, u"+420377888999"_qs, {}, {}, {}, u"info@ruzicka.example.cz"_qs, {}, u"4"_qs, u"2"_qs},
            {u"Jiří"_qs, u"Dvořák"_qs, u"Jirka"_qs, {}, {}, u"+420736111222"_qs, {}, {}, {}, {}, u"2"_qs, u"3"_qs},
        };
        QCOMPARE(book.contacts.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i) {
            const auto &c = book.contacts[i];
            const QStringList got{c.firstName, c.surname, c.displayName, c.privatePhone, c.businessPhone, c.privateMobile,
                                  c.businessMobile, c.privateEmail, c.businessEmail, c.birthday,
                                  c.group.isEmpty() ? QString() : QString::number(c.group[0].unicode()),
                                  QString::number(c.defaultNumber)};
            QCOMPARE(got, expected[i]);
        }
        QCOMPARE(book.contacts[0].privateEmail2, u"jan@novakovi.cz"_qs);
        QCOMPARE(book.contacts[3].privateFax, u"+420475111223"_qs);
        QCOMPARE(book.contacts[3].privateCity, u"Ústí nad Labem"_qs);
    }

    void calendar()
    {
        QTemporaryDir dir(rig::scratchTemplate());
        phonesim::seedWhenEmpty(dir.path());
        const auto cal = calendar::ReadVCalendar(fileBytes(phonesim::brewRootOf(dir.path()) + QStringLiteral("/brew/master_events.dat")));
        QVERIFY2(cal.ok(), qPrintable(cal.error()));
        QVERIFY(cal->problems.isEmpty());
        const QList<QStringList> expected = {
            {u"1"_qs, u"15.01.2007"_qs, u"9:30:00"_qs, u"15.01.2007"_qs, u"10:30:00"_qs, {}, u"15.01.2007 9:15:00"_qs, u"Schůzka"_qs},
            {u"2"_qs, u"14.02.2007"_qs, u"19:00:00"_qs, u"14.02.2007"_qs, u"23:00:00"_qs, {}, {}, u"Večeře s přáteli"_qs},
            {u"3"_qs, u"01.03.2007"_qs, u"8:00:00"_qs, u"01.03.2007"_qs, u"8:30:00"_qs, {}, {}, u"Cafe bar"_qs},
            {u"4"_qs, u"21.03.2007"_qs, u"0:30:00"_qs, u"21.03.2007"_qs, u"1:30:00"_qs, {}, u"21.03.2007 0:00:00"_qs,
             u"Noční vlak do Košic"_qs},
            {u"5"_qs, u"02.04.2007"_qs, u"10:00:00"_qs, u"02.04.2007"_qs, u"12:00:00"_qs, {}, u"02.04.2007 9:45:00"_qs,
             u"Porada oddělení: rozpočet na příští rok, plán dovolených, nové počítače, úklid skladu a různé"_qs},
        };
        QCOMPARE(cal->events.size(), expected.size());
        for (qsizetype i = 0; i < expected.size(); ++i)
            QCOMPARE(cal->events[i].columns(), expected[i]);
        // The long description is folded more than once.
        QVERIFY(fileBytes(phonesim::brewRootOf(dir.path()) + QStringLiteral("/brew/master_events.dat")).count("=\r\n") >= 2);
    }

    // The folder the other tab reads, as the user copies it out of the phone.
    void groupsAccountsProfiles()
    {
        QTemporaryDir dir(rig::scratchTemplate());
        const phonesim::VirtualPhone phone(dir.filePath(QStringLiteral("phone")));
        const QString copy = dir.filePath(QStringLiteral("copy"));
        QVERIFY(phone.exportDatabaseFolder(copy));
        QCOMPARE(QDir(copy).entryList(QDir::Files, QDir::Name),
                 (QStringList{u"GrpDList ver 01.db"_qs, u"account2"_qs, u"account5"_qs, u"profile1"_qs, u"profile2"_qs, u"profile3"_qs}));

        const phonedb::GroupList groups = phonedb::ReadGroups(fileBytes(copy + QStringLiteral("/GrpDList ver 01.db")));
        QVERIFY(groups.problems.isEmpty());
        QStringList names;
        for (const phonedb::Group &g : groups.groups)
            names.append(g.listItem());
        QCOMPARE(names, (QStringList{u"1: Rodina"_qs, u"2: Přátelé"_qs, u"3: Práce"_qs, u"4: Služby"_qs, u"5: VIP"_qs}));

        // name, user, address, ports (POP3 SMTP IMAP4), signature, profile/download/signature use/server type, flags
        const QStringList accounts[] = {
            {u"Pracovní pošta"_qs, u"Jan Novák"_qs, u"jan.novak@firma.example.cz"_qs, u"110 25 143"_qs,
             u"S pozdravem Jan Novák"_qs, u"2 1 1 0"_qs, u"0001101100"_qs},
            {u"Soukromá"_qs, u"Věra Dvořáková"_qs, u"vera@example.cz"_qs, u"995 465 993"_qs, u"Věra"_qs, u"3 2 2 1"_qs,
             u"1111010011"_qs},
        };
        for (int i = 0; i < 2; ++i) {
            const phonedb::TEmail a = phonedb::readAccount(fileBytes(copy + (i ? u"/account5"_qs : u"/account2"_qs)));
            QString flags;
            for (bool f : {a.pop3Ssl, a.imap4Ssl, a.smtpSsl, a.smtpAuth, a.keepOnServer, a.deleteOnServer, a.saveSent,
                           a.quoteOriginal, a.deliveryReport, a.readReport})
                flags += f ? u'1' : u'0';
            QCOMPARE((QStringList{a.accountName, a.userName, a.emailAddress, a.pop3Port + u' ' + a.smtpPort + u' ' + a.imap4Port,
                                  a.signature,
                                  u"%1 %2 %3 %4"_qs.arg(a.dataProfile).arg(a.downloadMode).arg(a.signatureUse).arg(a.serverType),
                                  flags}),
                     accounts[i]);
        }

        const QList<phonedb::GProfil> profiles = {
            {u"Internet"_qs, 1, 0, {}, 0, {}, {}},
            {u"WAP Demo Net"_qs, 0, 0, u"10.0.0.10"_qs, 9201, u"wap"_qs, u"wap"_qs},
            {u"MMS Šifrované"_qs, 1, 1, u"proxy.demonet.example.cz"_qs, 8080, u"uživatel"_qs, u"heslo"_qs},
        };
        for (qsizetype i = 0; i < profiles.size(); ++i)
            QVERIFY2(phonedb::readProfile(fileBytes(copy + QStringLiteral("/profile%1").arg(i + 1))) == profiles[i],
                     qPrintable(profiles[i].profileName));
    }
};
VANDREL_TEST(SeededDatabasesTest)

#include "tst_databases.moc"
