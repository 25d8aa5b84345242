#include "common/testmain.h"

#include <core/phonebook/vcard.h>

#include <QRandomGenerator>
#include <QStringDecoder>
#include <QTest>

using namespace vandrel::phonebook;

namespace {

int fieldNumber(const QString &name)
{
    for (int f = 0; f < kFieldCount; ++f)
        if (fieldName(f) == name)
            return f;
    return -1;
}

// "surname=Novák" ... as a contact.
ContactRecord contactOf(const QStringList &fields)
{
    ContactRecord c;
    for (const QString &f : fields) {
        const qsizetype eq = f.indexOf(u'=');
        c.setField(fieldNumber(f.left(eq)), f.mid(eq + 1));
    }
    return c;
}

} // namespace

class VCardTest : public QObject {
    Q_OBJECT
private slots:
    void tableVCardTable_data()
    {
        QTest::addColumn<ContactList>("table");
        ContactRecord every;
        for (int f = 0; f < kFieldCount; ++f)
            every.setField(f, QStringLiteral("%1 Řeřicha Щука, a;b\\c").arg(fieldName(f)));
        every.birthday = QStringLiteral("29.02.1976");
        every.group = QString(QChar(3));
        every.defaultNumber = 4;
        every.recordNumber = 12;
        every.keptItems = {{0xFF41, 9, 0x0003, QByteArray::fromHex("78000000")}, {0x7000, 3, 0xFF3D, QByteArray(4, '\0')}};
        QTest::newRow("every field") << ContactList{every};

        ContactRecord lines = contactOf({QStringLiteral("surname=Dvořák")});
        lines.privateNotes = QStringLiteral("one\ntwo");
        lines.businessNotes = QStringLiteral("one\r\ntwo\r\n");
        lines.privateStreet = QStringLiteral("a\rb");
        lines.company = QString(200, QChar(u'ж')); // folded between two-byte letters
        QTest::newRow("line breaks and a long value") << ContactList{lines};

        ContactRecord defaultWithoutNumber = contactOf({QStringLiteral("firstName=Jan"), QStringLiteral("businessPhone=1")});
        defaultWithoutNumber.defaultNumber = 3;
        ContactRecord nameless = contactOf({QStringLiteral("displayName=Firma"), QStringLiteral("privateEmail2=a@b.cz"),
                                            QStringLiteral("businessEmail2=c@d.cz"), QStringLiteral("businessUrl=w.cz")});
        ContactRecord oddBirthday = contactOf({QStringLiteral("surname=X"), QStringLiteral("birthday=narozeniny")});
        QTest::newRow("defaults, second slots, no name, no date")
            << ContactList{defaultWithoutNumber, nameless, oddBirthday, contactOf({QStringLiteral("firstName=Ян")})};
        QTest::newRow("empty table") << ContactList{};
    }
    void tableVCardTable()
    {
        QFETCH(ContactList, table);
        const QStringList groups = {QStringLiteral("Rodina"), QStringLiteral("Přátelé"), QStringLiteral("Práce"), QStringLiteral("Škola")};
        const QByteArray file = WriteContactsVCard(table, groups);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString decoded = utf8.decode(file);
        Q_UNUSED(decoded);
        QVERIFY(!utf8.hasError());
        QVERIFY(file.isEmpty() || file.endsWith("\r\n"));
        for (const QByteArray &line : file.split('\n')) {
            QVERIFY2(line.size() <= 76, line.constData()); // 75 octets and the CR
            QVERIFY(line.isEmpty() || line.endsWith('\r'));
            QVERIFY(!line.chopped(line.isEmpty() ? 0 : 1).contains('\r'));
        }
        const ReadVCards back = ReadContactsVCard(file, groups);
        QVERIFY2(back.problems.isEmpty(), qPrintable(back.problems.join(u'\n')));
        QCOMPARE(back.contacts, table);
        // vCard -> table -> vCard gives the same file.
        QCOMPARE(WriteContactsVCard(back.contacts, groups), file);
        for (qsizetype i = 0; i < table.size(); ++i)
            QCOMPARE(back.contacts[i].recordNumber, table[i].recordNumber);
        // Without the names of the groups the numbers still come back.
        QCOMPARE(ReadContactsVCard(WriteContactsVCard(table)).contacts, table);
    }

    void foreignCards_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("problems");
        QTest::newRow("2.1, quoted-printable with soft breaks")
            << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:=C4=8Cern=C3=BD;Petr;;;\r\n"
                          "TEL;CELL;PREF:+420602\r\nTEL;HOME;VOICE:+420222\r\nTEL;WORK;FAX:+420333\r\n"
                          "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=C5=99=\r\n=C3=A1dek=0D=0Adal=\r\n=C5=A1=C3=AD\r\n"
                          "ADR;WORK:;;Dlouh=C3=A1 1;Praha;;11000;CZ\r\nEND:VCARD\r\n")
            << QStringList{u"surname=Černý"_qs, u"firstName=Petr"_qs, u"privateMobile=+420602"_qs, u"privatePhone=+420222"_qs,
                           u"businessFax=+420333"_qs, u"privateNotes=řádek\r\ndalší"_qs, u"defaultNumber=3"_qs,
                           u"businessStreet=Dlouh=C3=A1 1"_qs, u"businessCity=Praha"_qs, u"businessPostcode=11000"_qs,
                           u"businessCountry2=CZ"_qs}
            << 0;
        QTest::newRow("2.1, Windows-1250 bytes, folded with the blank kept")
            << QByteArray("BEGIN:VCARD\nVERSION:2.1\nN:Nov\xE1k;Jan\nORG:Stavby\n Nov\xE1k;Brno\nTITLE:\xD8\x65\x64itel\nEND:VCARD\n")
            << QStringList{u"surname=Novák"_qs, u"firstName=Jan"_qs, u"company=Stavby Novák, Brno"_qs, u"jobTitle=Ředitel"_qs} << 0;
        QTest::newRow("3.0 from another program")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:Петров;Иван;Сергеевич;;\r\nFN:Иван Петров\r\n"
                          "TEL;TYPE=work,voice:+7 1\r\nTEL;TYPE=CELL:+7 2\r\nTEL;TYPE=CELL:+7 3\r\nitem1.EMAIL;TYPE=INTERNET:a@b.ru\r\n"
                          "item1.X-ABLabel:_$!<Other>!$_\r\nNOTE:Д\xD0\r\n \xB0\xD1\x87\xD0\xB0\\, \\;\\\\\\n!\r\nBDAY:1975-11-05T00:00:00Z\r\n"
                          "CATEGORIES:VIP,Přátelé\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\r\nEND:VCARD\r\n")
            << QStringList{u"surname=Петров"_qs, u"firstName=Иван Сергеевич"_qs, u"displayName=Иван Петров"_qs,
                           u"businessPhone=+7 1"_qs, u"privateMobile=+7 2"_qs, u"businessMobile=+7 3"_qs, u"privateEmail=a@b.ru"_qs,
                           u"privateNotes=Дача, ;\\\n!"_qs, u"birthday=05.11.1975"_qs, u"group=\u0001"_qs}
            << 0;
        QTest::newRow("4.0: uri numbers, a name only in FN, a birthday without year")
            << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Pizza Roma\r\nTEL;VALUE=uri;TYPE=\"voice,home\";PREF=1:tel:+420111\r\n"
                          "BDAY:--1105\r\nEND:VCARD\r\n")
            << QStringList{u"surname=Pizza Roma"_qs, u"displayName=Pizza Roma"_qs, u"privatePhone=+420111"_qs, u"defaultNumber=1"_qs}
            << 1;
        QTest::newRow("more numbers than fields, two addresses of one kind")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:A;;;;\r\nTEL:1\r\nTEL:2\r\nTEL:3\r\nTEL:4\r\nTEL:5\r\n"
                          "ADR;TYPE=HOME:;;S1;;;;\r\nADR;TYPE=HOME:;;S2;;;;\r\nADR;TYPE=HOME:;;S3;;;;\r\nEND:VCARD\r\n")
            << QStringList{u"surname=A"_qs, u"privatePhone=1"_qs, u"businessPhone=2"_qs, u"privateMobile=3"_qs,
                           u"businessMobile=4"_qs, u"privateStreet=S1"_qs, u"businessStreet=S2"_qs}
            << 2;
    }
    void foreignCards()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, fields);
        QFETCH(int, problems);
        const QStringList groups = {QStringLiteral("Rodina"), QStringLiteral("Přátelé")};
        const ReadVCards read = ReadContactsVCard(file, groups);
        QCOMPARE(read.problems.size(), qsizetype(problems));
        QCOMPARE(read.contacts.size(), qsizetype(1));
        QCOMPARE(read.contacts[0], contactOf(fields));
    }

    void anyInputIsSafe()
    {
        ContactRecord c = contactOf({u"surname=Čáp"_qs, u"privateNotes=a\nb, c"_qs, u"company=ж;ж"_qs});
        c.keptItems = {{1, 9, 3, QByteArray(2, '\0')}};
        const QByteArray file = WriteContactsVCard({c, c})
                                + "BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;QUOTED-PRINTABLE:=C5=\r\n=99=\r\nEND:VCARD\r\n"
                                + "BEGIN:VCARD\r\nN:Last;;;;\r\nEND:VCARD\r\n";
        // A soft break right before the end of a card does not swallow the end.
        const ReadVCards whole = ReadContactsVCard(file);
        QCOMPARE(whole.contacts.size(), qsizetype(4));
        QCOMPARE(whole.contacts[2].privateNotes, u"ř"_qs);
        QCOMPARE(whole.contacts[3].surname, u"Last"_qs);
        for (qsizetype n = 0; n <= file.size(); ++n)
            QVERIFY(ReadContactsVCard(file.left(n)).contacts.size() <= 4);
        QRandomGenerator rng(7);
        for (int round = 0; round < 2000; ++round) {
            QByteArray b = file;
            for (int k = 0; k < 1 + rng.bounded(8); ++k)
                b[rng.bounded(int(b.size()))] = "\\;:=,\r\n \"\x80\xC5"[rng.bounded(11)];
            QVERIFY(ReadContactsVCard(b).contacts.size() <= 5);
        }
    }
};

VANDREL_TEST(VCardTest)
#include "tst_vcard.moc"
