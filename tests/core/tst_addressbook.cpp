#include "common/testmain.h"

#include <core/phonebook/addressbook.h>
#include <core/phonebook/exports.h>

#include <QTest>

using namespace vandrel::phonebook;

namespace {

ContactRecord named(const QString &first, const QString &surname, const QString &mobile = {})
{
    ContactRecord c;
    c.firstName = first;
    c.surname = surname;
    c.privateMobile = mobile;
    return c;
}

QStringList surnames(const ContactList &contacts)
{
    QStringList out;
    for (const ContactRecord &c : contacts)
        out.append(c.surname);
    return out;
}

// A table of contacts A, B, C ... by surname, each with its own mobile, as read from the phone.
ContactTable tableOf(const QString &letters)
{
    ContactList contacts;
    for (const QChar l : letters) {
        contacts.append(named({}, QString(l), QStringLiteral("60%1").arg(l)));
        contacts.last().displayName = QString(l);
        contacts.last().recordNumber = int(contacts.size());
    }
    ContactTable t;
    t.loadFromPhone(contacts);
    return t;
}

} // namespace

class AddressBookTest : public QObject {
    Q_OBJECT
private slots:
    void editsKeepRecipientsInStep_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("done");
        QTest::addColumn<QString>("after");
        QTest::newRow("delete row 1 of three") << "ABC" << "delete" << 1 << true << "AC";
        QTest::newRow("delete moves the last one up") << "ABCD" << "delete" << 1 << true << "ADC";
        QTest::newRow("delete without a row") << "ABC" << "delete" << -1 << false << "ABC";
        QTest::newRow("change row 0 to X") << "ABC" << "change" << 0 << true << "XBC";
        QTest::newRow("add X") << "AB" << "add" << -1 << true << "ABX";
        QTest::newRow("add without names") << "AB" << "add nameless" << -1 << false << "AB";
    }
    void editsKeepRecipientsInStep()
    {
        QFETCH(QString, start);
        QFETCH(QString, op);
        QFETCH(int, row);
        QFETCH(bool, done);
        QFETCH(QString, after);
        ContactTable t = tableOf(start);
        const ContactRecord x = named({}, QStringLiteral("X"), QStringLiteral("60X"));
        bool result = false;
        if (op == u"delete")
            result = t.remove(row);
        else if (op == u"change")
            result = t.change(row, x, 0);
        else if (op == u"add")
            result = t.add(x, 0);
        else
            result = t.add(named({}, {}, QStringLiteral("1")), 0);
        QCOMPARE(result, done);
        QCOMPARE(t.isModified(), done);
        QCOMPARE(surnames(t.contacts()).join(QString()), after);
        QStringList lines;
        for (const QChar l : after)
            lines.append(QStringLiteral("%1$&@;;60%1;;").arg(l));
        QCOMPARE(t.recipients(), lines);
    }

    void storedContact_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("surname");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("checked");
        QTest::addColumn<QString>("storedDisplay");
        QTest::addColumn<int>("storedDefault");
        // The contact before had default number 3 and group 2.
        QTest::newRow("no button keeps the default") << "Jan" << "Novák" << "J" << 0 << "J" << 3;
        QTest::newRow("a button sets it") << "Jan" << "Novák" << "J" << 2 << "J" << 2;
        QTest::newRow("display defaults to the surname") << "Jan" << "Novák" << "" << 0 << "Novák" << 3;
        QTest::newRow("without surname to the first name") << "Jan" << "" << "" << 0 << "Jan" << 3;
    }
    void storedContact()
    {
        QFETCH(QString, first);
        QFETCH(QString, surname);
        QFETCH(QString, display);
        QFETCH(int, checked);
        QFETCH(QString, storedDisplay);
        QFETCH(int, storedDefault);
        ContactRecord before = named(QStringLiteral("Old"), QStringLiteral("Old"), QStringLiteral("1"));
        before.defaultNumber = 3;
        before.group = QString(QChar(2));
        before.recordNumber = 7;
        before.keptItems = {{0x7000, 3, 0, QByteArray(4, '\1')}};
        ContactRecord pages = named(first, surname, QStringLiteral("602"));
        pages.displayName = display;
        const ContactRecord c = storeContact(before, pages, checked);
        QCOMPARE(c.displayName, storedDisplay);
        QCOMPARE(int(c.defaultNumber), storedDefault);
        QCOMPARE(c.privateMobile, QStringLiteral("602"));
        QCOMPARE(c.group, before.group);
        QCOMPARE(c.recordNumber, 7);
        QCOMPARE(c.keptItems, before.keptItems);
    }

    void buttons_data()
    {
        QTest::addColumn<int>("defaultNumber");
        QTest::addColumn<QString>("enabled");
        QTest::addColumn<int>("checked");
        QTest::newRow("none checks none") << 0 << "0010" << 0;
        QTest::newRow("private mobile") << 3 << "0010" << 3;
    }
    void buttons()
    {
        QFETCH(int, defaultNumber);
        QFETCH(QString, enabled);
        QFETCH(int, checked);
        ContactRecord c = named(QStringLiteral("Jan"), {}, QStringLiteral("602"));
        c.defaultNumber = quint8(defaultNumber);
        const DefaultNumberButtons b = defaultNumberButtons(c);
        QString got;
        for (const bool e : b.enabled)
            got += e ? u'1' : u'0';
        QCOMPARE(got, enabled);
        QCOMPARE(b.checked, checked);
    }

    void summary_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("added");
        QTest::addColumn<QString>("changed");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<int>("unchanged");
        // The phone holds A B C D.
        QTest::newRow("nothing") << "" << "" << "" << "" << 4;
        QTest::newRow("delete B: D moves, stays itself") << "delete 1" << "" << "" << "B" << 3;
        QTest::newRow("rename C") << "change 2 X" << "" << "X" << "" << 3;
        QTest::newRow("add E") << "add E" << "E" << "" << "" << 4;
        QTest::newRow("rename A, delete B, add B again") << "change 0 X;delete 1;add B" << "" << "X" << "" << 3;
        QTest::newRow("reload from a file with A and E") << "file AE" << "E" << "" << "BCD" << 1;
        QTest::newRow("written, then D deleted") << "written;delete 3" << "" << "" << "D" << 3;
    }
    void summary()
    {
        QFETCH(QString, steps);
        QFETCH(QString, added);
        QFETCH(QString, changed);
        QFETCH(QString, removed);
        QFETCH(int, unchanged);
        ContactTable t = tableOf(QStringLiteral("ABCD"));
        for (const QString &step : steps.split(u';', Qt::SkipEmptyParts)) {
            const QStringList w = step.split(u' ');
            if (w[0] == u"delete") {
                QVERIFY(t.remove(w[1].toInt()));
            } else if (w[0] == u"change") {
                ContactRecord pages = t.contacts()[w[1].toInt()];
                pages.surname = w[2];
                QVERIFY(t.change(w[1].toInt(), pages, 0));
            } else if (w[0] == u"add") {
                QVERIFY(t.add(named({}, w[1], QStringLiteral("60%1").arg(w[1])), 0));
            } else if (w[0] == u"file") {
                ContactList fromFile = tableOf(w[1]).contacts(); // record numbers 1, 2 of that file
                t.loadFromFile(fromFile);
            } else {
                t.wroteToPhone();
            }
        }
        const ChangeSummary s = t.pendingPhoneChanges();
        const auto names = [](const QList<ContactChange> &list) {
            QString out;
            for (const ContactChange &c : list)
                out += c.name;
            return out;
        };
        QCOMPARE(names(s.added), added);
        QCOMPARE(names(s.changed), changed);
        QCOMPARE(names(s.removed), removed);
        QCOMPARE(s.unchanged, unchanged);
        for (const ContactChange &c : s.changed)
            QCOMPARE(c.fields, QList<int>{1});
    }

    void fileNames()
    {
        QCOMPARE(withExtension(u"kontakty.CSV"_qs, BookFormat::Csv), u"kontakty.CSV.csv"_qs);
        QCOMPARE(withExtension(u"x.txt"_qs, BookFormat::Dat), u"x.txt.dat"_qs);
        QCOMPARE(withExtension(u"a.xls"_qs, BookFormat::Xls), u"a.xls"_qs);
        QCOMPARE(bookFormatOf(u"kontakty.CSV.csv"), std::optional(BookFormat::Csv));
        QCOMPARE(bookFormatOf(u"kontakty.CSV"), std::nullopt);
        QCOMPARE(bookFormatOf(u"K.VCF", Qt::CaseInsensitive), std::optional(BookFormat::Vcf));
    }
};

VANDREL_TEST(AddressBookTest)
#include "tst_addressbook.moc"
