#include "common/testmain.h"

#include <core/phonebook/exports.h>
#include <core/phonebook/json.h>
#include <core/phonebook/pbmfile.h>
#include <core/phonebook/sidelines.h>

#include <QRandomGenerator>
#include <QTest>

using namespace vandrel::phonebook;

namespace {
ContactRecord jan()
{
    ContactRecord c;
    c.firstName = QStringLiteral("Jan");
    c.surname = QStringLiteral("Novák");
    c.privateMobile = QStringLiteral("602");
    return c;
}

// Every field filled with a text of its own, the default number and group set.
ContactRecord full(int seed)
{
    ContactRecord c;
    for (int f = 0; f < kFieldCount; ++f)
        c.setField(f, QStringLiteral("%1-%2 Čř").arg(fieldName(f)).arg(seed));
    for (const int f : {3, 4, 5, 6, 10, 21})
        c.setField(f, QStringLiteral("+420%1%2").arg(f).arg(seed));
    c.defaultNumber = quint8(1 + seed % 4);
    c.group = QString(QChar(char16_t(seed % 7)));
    c.birthday = QStringLiteral("05.11.1975");
    return c;
}

QByteArray item(quint16 id, int type, const QByteArray &data)
{
    QByteArray b;
    b.append(char(id & 0xFF)).append(char(id >> 8)).append(char(type)).append(3, '\0');
    b.append(char(data.size())).append('\0').append(data);
    return b;
}

QByteArray record(int number, const QByteArray &items)
{
    QByteArray r;
    const int len = 8 + int(items.size());
    r.append(char(len & 0xFF)).append(char(len >> 8)).append(char(number)).append('\0').append(char(number + 10)).append(3, '\0');
    return r + items;
}

QByteArray ucs2z(const QString &s)
{
    QByteArray b;
    for (const QChar c : s)
        b.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return b + QByteArray(2, '\0');
}

} // namespace

class PhonebookCodecTest : public QObject {
    Q_OBJECT
private slots:
    void exactRecord()
    {
        QByteArray expected = QByteArray::fromHex("54000100") + QByteArray(1, 11) + QByteArray(3, '\0')
                              + item(0x0016, 6, QByteArray("602", 4)) + item(0x0003, 9, ucs2z(QStringLiteral("Novák")))
                              + item(0x0001, 9, ucs2z(QStringLiteral("Jan"))) + item(0xFF2C, 3, QByteArray::fromHex("18000000"))
                              + item(0xFF3D, 5, QByteArray::fromHex("0100000000000000"));
        const auto file = EncodeAddressBook({jan()});
        QVERIFY2(file.ok(), qPrintable(file.error()));
        QCOMPARE(file->toHex(), expected.toHex());
        QCOMPARE(expected.size(), qsizetype(0x54));
    }

    void fieldItems_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("itemBytes");
        QTest::newRow("private fax") << 10 << QStringLiteral("123") << item(0x0013, 6, QByteArray("123", 4));
        QTest::newRow("business fax") << 21 << QStringLiteral("123") << item(0xFF21, 6, QByteArray("123", 4));
        QTest::newRow("business country 1") << 27 << QStringLiteral("CZ") << item(0xFF25, 9, ucs2z(QStringLiteral("CZ")));
        QTest::newRow("business country 2") << 28 << QStringLiteral("CZ") << item(0xFF24, 9, ucs2z(QStringLiteral("CZ")));
        QTest::newRow("private country 1") << 14 << QStringLiteral("CZ") << item(0x000B, 9, ucs2z(QStringLiteral("CZ")));
        QTest::newRow("private country 2") << 15 << QStringLiteral("CZ") << item(0x000A, 9, ucs2z(QStringLiteral("CZ")));
        QTest::newRow("birthday year first, L 18") << 34 << QStringLiteral("05.11.1975") << item(0xFF2A, 9, ucs2z(QStringLiteral("19751105")));
        QTest::newRow("C caron as 0C 01") << 17 << QStringLiteral("Č") << item(0x001C, 9, QByteArray::fromHex("0C010000"));
        QTest::newRow("chinese keeps its code") << 17 << QStringLiteral("中") << item(0x001C, 9, QByteArray::fromHex("2D4E0000"));
        QTest::newRow("126 characters fit") << 22 << QString(126, u'x') << item(0x0006, 9, ucs2z(QString(126, u'x')));
        QTest::newRow("254 digits fit") << 3 << QString(254, u'1') << item(0x0018, 6, QByteArray(254, '1') + '\0');
        QTest::newRow("display name") << 35 << QStringLiteral("J") << item(0x0005, 9, ucs2z(QStringLiteral("J")));
        QTest::newRow("url") << 20 << QStringLiteral("a.cz") << item(0xFF20, 9, ucs2z(QStringLiteral("a.cz")));
        // Values whose bytes look like the header of another item (business URL, first name).
        QTest::newRow("note with U+FF20 and a tab") << 17 << QStringLiteral("x\uFF20\t")
                                                    << item(0x001C, 9, ucs2z(QStringLiteral("x\uFF20\t")));
        QTest::newRow("display name with U+0001 and a tab") << 35 << QStringLiteral("\u0001\t")
                                                            << item(0x0005, 9, ucs2z(QStringLiteral("\u0001\t")));
    }
    void fieldItems()
    {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QByteArray, itemBytes);
        ContactRecord c;
        c.surname = QStringLiteral("X");
        QVERIFY(c.setField(field, value));
        const auto file = EncodeAddressBook({c});
        QVERIFY2(file.ok(), qPrintable(file.error()));
        QVERIFY2(file->contains(itemBytes), file->toHex().constData());
        const DecodedAddressBook back = DecodeAddressBook(*file);
        QVERIFY(back.problems.isEmpty());
        QCOMPARE(back.contacts.size(), qsizetype(1));
        QCOMPARE(back.contacts[0].field(field), value);
        ContactRecord expected = c;
        expected.defaultNumber = back.contacts[0].defaultNumber; // tested on its own
        QCOMPARE(back.contacts[0], expected);
    }

    void markers_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QByteArray>("marker");
        QTest::newRow("phone") << 4 << item(0xFF2C, 3, QByteArray::fromHex("18000000"));
        QTest::newRow("e-mail") << 19 << item(0xFF2D, 3, QByteArray::fromHex("1C800000"));
        QTest::newRow("business country 1 alone") << 27 << item(0xFF2E, 3, QByteArray::fromHex("05000000"));
        QTest::newRow("private postcode") << 13 << item(0xFF2E, 3, QByteArray::fromHex("05000000"));
        QTest::newRow("url") << 9 << item(0xFF2F, 3, QByteArray::fromHex("0D000000"));
        QTest::newRow("fax") << 21 << item(0xFF30, 3, QByteArray::fromHex("13000000"));
    }
    void markers()
    {
        QFETCH(int, field);
        QFETCH(QByteArray, marker);
        ContactRecord c;
        c.firstName = QStringLiteral("A");
        c.setField(field, QStringLiteral("1"));
        const auto file = EncodeAddressBook({c});
        QVERIFY(file.ok());
        QVERIFY(file->contains(marker));
        // No other marker item than the one its field asks for and the record number.
        int markers = 0;
        for (const quint16 id : {0xFF2C, 0xFF2D, 0xFF2E, 0xFF2F, 0xFF30, 0xFF39})
            markers += file->contains(QByteArray(1, char(id & 0xFF)) + char(0xFF) + char(3));
        QCOMPARE(markers, 1);
    }

    void defaultNumber_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("markerValue");
        QTest::addColumn<int>("readBack");
        QTest::newRow("none is written as private phone") << 0 << 0x18 << 1;
        QTest::newRow("private phone") << 1 << 0x18 << 1;
        QTest::newRow("business phone") << 2 << 0x11 << 2;
        QTest::newRow("private mobile") << 3 << 0x16 << 3;
        QTest::newRow("business mobile") << 4 << 0x19 << 4;
    }
    void defaultNumber()
    {
        QFETCH(int, stored);
        QFETCH(int, markerValue);
        QFETCH(int, readBack);
        ContactRecord c = jan();
        c.privatePhone = QStringLiteral("1");
        c.defaultNumber = quint8(stored);
        const auto file = EncodeAddressBook({c});
        QVERIFY(file.ok());
        QVERIFY(file->contains(item(0xFF2C, 3, QByteArray(1, char(markerValue)) + QByteArray(3, '\0'))));
        QCOMPARE(int(DecodeAddressBook(*file).contacts.at(0).defaultNumber), readBack);
    }

    void recordNumbers()
    {
        const auto file = EncodeAddressBook({jan(), jan()});
        QVERIFY(file.ok());
        const qsizetype second = static_cast<unsigned char>(file->at(0));
        QCOMPARE(int(file->at(2)), 1);
        QCOMPARE(int(file->at(4)), 11);
        QCOMPARE(int(file->at(second + 2)), 2);
        QCOMPARE(int(file->at(second + 4)), 12);
        QVERIFY(file->endsWith(item(0xFF3D, 5, QByteArray::fromHex("0200000000000000"))));
        QVERIFY(file->left(second).endsWith(item(0xFF3D, 5, QByteArray::fromHex("0100000000000000"))));
    }

    void group()
    {
        ContactRecord c = jan();
        c.group = QString(QChar(char16_t(3)));
        const auto file = EncodeAddressBook({c});
        QVERIFY(file.ok());
        QVERIFY(file->contains(item(0xFF39, 3, QByteArray::fromHex("03000100"))));
        QCOMPARE(DecodeAddressBook(*file).contacts.at(0).group, c.group);
    }

    void refused_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("named");
        QTest::newRow("127 characters") << 22 << QString(127, u'x') << QStringLiteral("company");
        QTest::newRow("255 digits") << 5 << QString(255, u'1') << QStringLiteral("privateMobile");
        QTest::newRow("number not in cp1250") << 5 << QStringLiteral("中") << QStringLiteral("privateMobile");
        QTest::newRow("31 February") << 34 << QStringLiteral("31.02.2000") << QStringLiteral("birthday");
        QTest::newRow("short date") << 34 << QStringLiteral("1.1.2000") << QStringLiteral("birthday");
        QTest::newRow("words") << 34 << QStringLiteral("narozeniny") << QStringLiteral("birthday");
        QTest::newRow("group above 255") << 32 << QStringLiteral("\u0100") << QStringLiteral("group");
        QTest::newRow("group of two characters") << 32 << QStringLiteral("12") << QStringLiteral("group");
    }
    void refused()
    {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QString, named);
        ContactRecord c = jan();
        c.setField(field, value);
        const auto file = EncodeAddressBook({jan(), c});
        QVERIFY(!file.ok());
        QVERIFY2(file.error().contains(named), qPrintable(file.error()));
        QVERIFY2(file.error().contains(QStringLiteral("contact 2 (Novák, Jan)")), qPrintable(file.error()));
    }

    void tooManyContacts()
    {
        QVERIFY(EncodeAddressBook(ContactList(245, jan())).ok());
        const auto file = EncodeAddressBook(ContactList(246, jan()));
        QVERIFY(!file.ok());
        QVERIFY(file.error().contains(QStringLiteral("246")));
        QVERIFY(EncodeAddressBook({}).value().isEmpty());
    }

    void checkNamesEveryProblem()
    {
        ContactRecord longName = jan();
        longName.firstName = QString(127, u'J');
        longName.birthday = QStringLiteral("1975-11-05");
        ContactRecord nameless;
        nameless.displayName = QStringLiteral("Firma");
        ContactRecord bigItem = jan();
        bigItem.keptItems = {{0x7000, 9, 0, QByteArray(256, 'x')}};
        ContactList table = {jan(), longName, nameless, bigItem};
        table += ContactList(242, jan());
        const QList<TableProblem> problems = checkForPhone(table);
        QList<std::tuple<int, int, int>> got;
        for (const TableProblem &p : problems)
            got.append({p.kind, p.row, p.field});
        const QList<std::tuple<int, int, int>> expected = {
            {TableProblem::TooManyContacts, -1, -1}, {TableProblem::TooLong, 1, 0}, {TableProblem::NotADate, 1, kBirthdayField},
            {TableProblem::NoName, 2, -1}, {TableProblem::BadKeptItem, 3, -1}};
        QCOMPARE(got, expected);
        QVERIFY2(problems[1].text.startsWith(QStringLiteral("contact 2 (Novák, %1), field firstName: 127 characters").arg(QString(127, u'J'))),
                 qPrintable(problems[1].text));
        QVERIFY2(problems[3].text.startsWith(QStringLiteral("contact 3 (Firma)")), qPrintable(problems[3].text));
        QCOMPARE(EncodeAddressBook(table).error(), problems[0].text);
    }

    void namelessRecordsDropped()
    {
        ContactRecord onlySurname;
        onlySurname.surname = QStringLiteral("Novák");
        const QByteArray nameless = record(2, item(0x0006, 9, ucs2z(QStringLiteral("Firma"))));
        const QByteArray file = EncodeAddressBook({onlySurname}).value() + nameless + EncodeAddressBook({jan()}).value();
        const DecodedAddressBook back = DecodeAddressBook(file);
        QCOMPARE(back.contacts.size(), qsizetype(2));
        QCOMPARE(back.namelessRecords, QList<int>{2});
        QCOMPARE(back.contacts[1].recordNumber, 3);
        QCOMPARE(back.contacts[0].surname, QStringLiteral("Novák"));
        ContactRecord expected = jan();
        expected.defaultNumber = 1; // a phone number without a default reads back as the private phone
        QCOMPARE(back.contacts[1], expected);
        QVERIFY(back.problems.isEmpty());
    }

    void fileTableFileIsByteIdentical()
    {
        ContactList table;
        for (int i = 0; i < 12; ++i)
            table.append(full(i));
        table.append(jan());
        table.last().defaultNumber = 3;
        const auto file = EncodeAddressBook(table);
        QVERIFY2(file.ok(), qPrintable(file.error()));
        // Whole, then with a stray byte after the last record, which is reported and left out.
        for (const QByteArray &input : {*file, *file + QByteArray(1, 'x')}) {
            const DecodedAddressBook back = DecodeAddressBook(input);
            QCOMPARE(back.problems.size(), qsizetype(input.size() - file->size()));
            QCOMPARE(back.contacts, table);
            const auto again = EncodeAddressBook(back.contacts);
            QVERIFY(again.ok());
            QCOMPARE(again->toHex(), file->toHex());
        }
    }

    void keptItemsGoBackWhereTheyWere_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("kept");
        // Jan Novák as the encoder lays him out, with foreign items put in between.
        const QByteArray mobile = item(0x0016, 6, QByteArray("602", 4));
        const QByteArray surname = item(0x0003, 9, ucs2z(QStringLiteral("Novák")));
        const QByteArray first = item(0x0001, 9, ucs2z(QStringLiteral("Jan")));
        const QByteArray marker = item(0xFF2C, 3, QByteArray::fromHex("16000000"));
        const auto number = [](int n) { return item(0xFF3D, 5, QByteArray(1, char(n)) + QByteArray(7, '\0')); };
        const QByteArray x = item(0xFF41, 9, ucs2z(QStringLiteral("x")));
        const QByteArray y = item(0x7000, 3, QByteArray::fromHex("01020304"));
        QTest::newRow("after the record number") << record(1, mobile + surname + first + marker + number(1) + x) << 1;
        QTest::newRow("right after the header") << record(1, x + mobile + surname + first + marker + number(1)) << 1;
        QTest::newRow("between fields") << record(1, mobile + surname + x + first + marker + number(1)) << 1;
        QTest::newRow("two before the markers") << record(1, mobile + surname + first + x + y + marker + number(1)) << 2;
        QTest::newRow("a known id with another type") << record(1, mobile + surname + first + item(0x0001, 6, QByteArray("7", 2)) + marker + number(1)) << 1;
        QTest::newRow("a second copy of the surname") << record(1, mobile + surname + surname + first + marker + number(1)) << 1;
        QTest::newRow("a record number of another width") << record(1, mobile + surname + first + marker + number(1) + item(0xFF3D, 3, QByteArray(4, '\1'))) << 1;
        QTest::newRow("in the second record") << record(1, mobile + surname + first + marker + number(1)) + record(2, mobile + surname + first + marker + y + number(2)) << 1;
        QTest::newRow("none") << record(1, mobile + surname + first + marker + number(1)) << 0;
    }
    void keptItemsGoBackWhereTheyWere()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, kept);
        const DecodedAddressBook book = DecodeAddressBook(file);
        QVERIFY2(book.problems.isEmpty(), qPrintable(book.problems.join(u'\n')));
        QCOMPARE(book.contacts.last().keptItems.size(), qsizetype(kept));
        QCOMPARE(book.contacts.last().surname, QStringLiteral("Novák"));
        QCOMPARE(EncodeAddressBook(book.contacts).value().toHex(), file.toHex());
    }

    void keptItemsFollowEdits()
    {
        const QByteArray x = item(0xFF41, 9, ucs2z(QStringLiteral("x")));
        ContactRecord c = jan();
        c.keptItems = {{0xFF41, 9, 0x0003, ucs2z(QStringLiteral("x"))}};
        c.firstName = QStringLiteral("Josef");
        QVERIFY(EncodeAddressBook({c}).value().contains(item(0x0003, 9, ucs2z(QStringLiteral("Novák"))) + x));
        // Its neighbour gone, the item goes just before the record number.
        c.surname.clear();
        const QByteArray file = EncodeAddressBook({c}).value();
        QVERIFY(file.contains(x + item(0xFF3D, 5, QByteArray::fromHex("0100000000000000"))));
        QCOMPARE(DecodeAddressBook(file).contacts.at(0).keptItems.at(0).data, c.keptItems.at(0).data);
    }

    void handMadeRecords_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("contacts");
        QTest::addColumn<int>("problems");
        const QByteArray name = item(0x0001, 9, ucs2z(QStringLiteral("A")));
        QTest::newRow("unknown items skipped") << record(1, item(0x7777, 9, ucs2z(QStringLiteral("x"))) + name) << 1 << 0;
        QTest::newRow("length 0 stops, rest reported") << QByteArray(2, '\0') + record(1, name) << 0 << 1;
        QTest::newRow("length past the end takes the rest") << record(1, name).replace(0, 1, "\xFF") << 1 << 1;
        QTest::newRow("item runs past its record") << QByteArray::fromHex("1100010000000000" "0300090000000400" "41") << 0 << 1;
        QTest::newRow("a record the walk cannot read is searched, and reported") << record(1, name + "xyz") << 1 << 1;
        QTest::newRow("odd text keeps its last byte") << record(1, item(0x0001, 9, QByteArray::fromHex("41004200"))) << 1 << 0;
    }
    void handMadeRecords()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, contacts);
        QFETCH(int, problems);
        const DecodedAddressBook book = DecodeAddressBook(file);
        QCOMPARE(book.contacts.size(), qsizetype(contacts));
        QCOMPARE(book.problems.size(), qsizetype(problems));
    }

    void everyPrefixAndRandomInputIsSafe()
    {
        const QByteArray file = EncodeAddressBook({full(1), full(2)}).value();
        for (qsizetype n = 0; n <= file.size(); ++n) {
            const DecodedAddressBook b = DecodeAddressBook(file.left(n));
            QVERIFY(b.contacts.size() <= 2);
            if (n < file.size() && n > 0)
                QVERIFY(!b.problems.isEmpty() || b.contacts.size() < 2);
        }
        QRandomGenerator rng(99);
        for (int round = 0; round < 3000; ++round) {
            QByteArray b = file;
            for (int k = 0; k < 1 + rng.bounded(8); ++k)
                b[rng.bounded(int(b.size()))] = char(rng.bounded(256));
            DecodeAddressBook(b.left(rng.bounded(int(b.size()) + 1)));
        }
    }
};

class ContactExportTest : public QObject {
    Q_OBJECT
private slots:
    void recipientLines_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("surname");
        QTest::addColumn<QString>("line");
        QTest::newRow("both names") << QStringLiteral("Jan") << QStringLiteral("Novák") << QStringLiteral("Novák, Jan$&@;;602;;");
        QTest::newRow("surname only") << QString() << QStringLiteral("Novák") << QStringLiteral("Novák$&@;;602;;");
        QTest::newRow("first name only") << QStringLiteral("Jan") << QString() << QStringLiteral("Jan$&@;;602;;");
    }
    void recipientLines()
    {
        QFETCH(QString, first);
        QFETCH(QString, surname);
        QFETCH(QString, line);
        ContactRecord c = jan();
        c.firstName = first;
        c.surname = surname;
        QCOMPARE(recipientLine(c), line);
    }

    void equalNeighboursGiveOneLine()
    {
        ContactRecord other = jan();
        other.firstName = QStringLiteral("Eva");
        const QStringList lines = vandrel::phonebook::recipientLines({jan(), jan(), other, jan()});
        QCOMPARE(lines.size(), qsizetype(3));
        QCOMPARE(nameForNumber(lines, u"602"), QStringLiteral("Novák, Jan"));
        QCOMPARE(nameForNumber(lines, u"777"), QString());
        QCOMPARE(nameForNumber(lines, u""), QString());
    }

    void csv_data()
    {
        QTest::addColumn<ContactList>("contacts");
        QTest::addColumn<QByteArray>("csv");
        ContactRecord onlyJan;
        onlyJan.firstName = QStringLiteral("Jan");
        onlyJan.privateMobile = QStringLiteral("602");
        QTest::newRow("first name and mobile") << ContactList{onlyJan} << QByteArray(";Jan;602" + QByteArray(31, ';') + "\r");
        ContactRecord c;
        for (int f = 0; f < kFieldCount; ++f)
            c.setField(f, QString::number(f));
        c.group = QString(QChar(char16_t(2)));
        c.firstName = QStringLiteral("Řehoř");
        QByteArray all = "1;\xD8" "eho\xF8;5;6;3;4;7;8;9;10;11;12;13;14;15;16;17;;18;19;20;21;22;23;24;25;26;27;28;29;30;;34;\x02\r";
        QTest::newRow("every column, cp1250, raw group") << ContactList{c} << all;
        QTest::newRow("two lines") << ContactList{onlyJan, onlyJan} << QByteArray(";Jan;602" + QByteArray(31, ';') + "\r").repeated(2);
        QTest::newRow("empty table") << ContactList{} << QByteArray();
    }
    void csv()
    {
        QFETCH(ContactList, contacts);
        QFETCH(QByteArray, csv);
        const auto out = WriteContactsCsv(contacts);
        QVERIFY2(out.ok(), qPrintable(out.error()));
        QCOMPARE(out->bytes, csv);
        QVERIFY(out->lossyRows.isEmpty());
        for (const QByteArray &line : out->bytes.split('\r'))
            QVERIFY(line.isEmpty() || line.count(';') == 33);
    }

    void csvRefusals_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("separator") << 17 << QStringLiteral("a;b");
        QTest::newRow("line break") << 17 << QStringLiteral("a\nb");
    }
    void csvRefusals()
    {
        QFETCH(int, field);
        QFETCH(QString, value);
        ContactRecord c = jan();
        c.setField(field, value);
        const auto out = WriteContactsCsv({c});
        QVERIFY(!out.ok());
        QVERIFY2(out.error().contains(fieldName(field)) && out.error().contains(QStringLiteral("Novák, Jan")), qPrintable(out.error()));
    }

    void lettersCp1250CannotHoldAreNamed_data()
    {
        QTest::addColumn<QString>("city");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<bool>("lossy");
        QTest::newRow("Czech fits") << QStringLiteral("Plzeň") << QByteArray("Plze\xF2") << false;
        QTest::newRow("Chinese") << QStringLiteral("北京") << QByteArray("??") << true;
        QTest::newRow("Cyrillic") << QStringLiteral("Москва") << QByteArray("??????") << true;
        QTest::newRow("base letter") << QStringLiteral("Añón") << QByteArray("An\xF3n") << true;
        QTest::newRow("outside the BMP") << QStringLiteral("a😀b") << QByteArray("a?b") << true;
    }
    void lettersCp1250CannotHoldAreNamed()
    {
        QFETCH(QString, city);
        QFETCH(QByteArray, written);
        QFETCH(bool, lossy);
        ContactRecord c = jan();
        c.privateCity = city;
        const ContactList table = {jan(), c};
        const QList<int> rows = lossy ? QList<int>{1} : QList<int>{};
        const auto csv = WriteContactsCsv(table);
        QVERIFY(csv.ok());
        QVERIFY(csv->bytes.contains(";" + written + ";"));
        QCOMPARE(csv->lossyRows, rows);
        const auto xls = WriteContactsXls(table);
        QVERIFY(xls.ok());
        QVERIFY(xls->bytes.contains(QByteArray::fromHex("0000") + char(written.size()) + '\0' + written));
        QCOMPARE(xls->lossyRows, rows);
        QCOMPARE(lossyWarning(table, rows).endsWith(QStringLiteral(": Novák, Jan")), lossy);
    }

    void xlsLayout()
    {
        ContactRecord c = jan();
        c.group = QString(QChar(char16_t(2)));
        const auto out = WriteContactsXls({c, jan()});
        QVERIFY2(out.ok(), qPrintable(out.error()));
        const QByteArray *xls = &out->bytes;
        const QByteArray bof = QByteArray::fromHex("090808000000100000000000");
        const QByteArray codepage = QByteArray::fromHex("42000200E204");
        QVERIFY(xls->startsWith(bof + codepage));
        QVERIFY(xls->endsWith(QByteArray::fromHex("0A000000")));
        // 2 rows x 35 cells, each 12 bytes plus its text.
        const qsizetype texts = 2 * (3 + 5 + 3) + 1;
        QCOMPARE(xls->size(), bof.size() + codepage.size() + 70 * 12 + texts + 4);
        // Row 0, column 1 is the surname; column 4 the private mobile (field 5); column 31 the group.
        QVERIFY(xls->contains(QByteArray::fromHex("04020D000000010000000500") + "Nov\xE1k"));
        QVERIFY(xls->contains(QByteArray::fromHex("04020B000000040000000300") + "602"));
        QVERIFY(xls->contains(QByteArray::fromHex("040209000000") + QByteArray::fromHex("1F0000000100") + "\x02"));
        QVERIFY(xls->contains(QByteArray::fromHex("040208000100220000000000")));
    }
};

class ContactJsonTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip()
    {
        ContactList table = {full(1), full(2), jan()};
        table[0].keptItems = {{0xFF41, 9, 0x0003, QByteArray::fromHex("78000000")}, {0x0001, 6, 0xFF3D, QByteArray("7", 2)}};
        table[0].recordNumber = 9;
        table[1].group = QStringLiteral("12"); // not a group the phone takes, but the table keeps it
        const auto back = contactsFromJson(contactsToJson(table));
        QVERIFY2(back.ok(), qPrintable(back.error()));
        QCOMPARE(*back, table);
        QCOMPARE(back->at(0).recordNumber, 9);
        // The form the command line has always written still reads.
        const auto old = contactsFromJson(R"([{"surname":"Novák","privateMobile":"602","defaultNumber":3,"group":2}])");
        QVERIFY(old.ok());
        QCOMPARE(old->at(0).group, QString(QChar(2)));
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("named");
        QTest::newRow("unknown key") << QByteArray(R"([{"surname":"A"},{"surnam":"B"}])") << "contact 2: unknown or mistyped field \"surnam\"";
        QTest::newRow("default number 5") << QByteArray(R"([{"defaultNumber":5}])") << "default number";
        QTest::newRow("group 256") << QByteArray(R"([{"group":256}])") << "group 256";
        QTest::newRow("kept item with odd hex") << QByteArray(R"([{"keptItems":[{"id":1,"type":9,"after":0,"data":"7"}]}])") << "\"keptItems\"";
    }
    void refusals()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, named);
        const auto c = contactsFromJson(json);
        QVERIFY(!c.ok());
        QVERIFY2(c.error().contains(named), qPrintable(c.error()));
    }
};

class SideLinesTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("czech") << QStringList{QStringLiteral("Novák, Jan$&@;;602;;"), QStringLiteral("2;Přátelé")}
                               << QByteArray("Nov\xC3\xA1k, Jan$&@;;602;;\r\n2;P\xC5\x99\xC3\xA1tel\xC3\xA9\r\n");
        // In cp1250 these are the bytes D3 A3, which are valid UTF-8 for another letter.
        QTest::newRow("KRÓŁ") << QStringList{QStringLiteral("KRÓŁ$&@;;1;;")} << QByteArray("KR\xC3\x93\xC5\x81$&@;;1;;\r\n");
        QTest::newRow("a name cp1250 cannot carry") << QStringList{QStringLiteral("李$&@;;1;;"), QStringLiteral("č")}
                                                    << QByteArray("\xE6\x9D\x8E$&@;;1;;\r\n\xC4\x8D\r\n");
        QTest::newRow("a first line beginning with U+FEFF") << QStringList{QStringLiteral("\uFEFFx")}
                                                            << QByteArray("\xEF\xBB\xBF\xEF\xBB\xBFx\r\n");
        QTest::newRow("empty line kept") << QStringList{QString(), QStringLiteral("x")} << QByteArray("\r\nx\r\n");
        QTest::newRow("nothing") << QStringList{} << QByteArray();
    }
    void roundTrip()
    {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QCOMPARE(writeSideLines(lines), bytes);
        QCOMPARE(readSideLines(bytes), lines);
        QByteArray bareLf = bytes;
        bareLf.replace("\r\n", "\n");
        QCOMPARE(readSideLines(bareLf), lines);
    }

    void reading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("cp1250 of older versions") << QByteArray("Nov\xE1k, Jan$&@;;602;;\r\n2;P\xF8\xE1tel\xE9\r\n")
                                                  << QStringList{QStringLiteral("Novák, Jan$&@;;602;;"), QStringLiteral("2;Přátelé")};
        QTest::newRow("UTF-8 after a BOM") << QByteArray("\xEF\xBB\xBFKR\xC3\x93\xC5\x81\r\n") << QStringList{QStringLiteral("KRÓŁ")};
        QTest::newRow("cp1250 after a BOM") << QByteArray("\xEF\xBB\xBF\xC8\xE1p\r\n") << QStringList{QStringLiteral("Čáp")};
    }
    void reading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(readSideLines(bytes), lines);
    }
};

VANDREL_TEST(PhonebookCodecTest)
VANDREL_TEST(SideLinesTest)
VANDREL_TEST(ContactExportTest)
VANDREL_TEST(ContactJsonTest)
#include "tst_phonebook.moc"
