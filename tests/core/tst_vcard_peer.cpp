#include "common/testmain.h"
#include "peer.h"

#include <core/phonebook/vcard.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel::phonebook;

namespace {

const QStringList kGroups = {QStringLiteral("Rodina"), QStringLiteral("Přátelé")};

// Every field filled, the names in Czech or Cyrillic letters.
ContactRecord everyField(const QString &first, const QString &surname, const QString &tag)
{
    ContactRecord c;
    for (int f = 0; f < kFieldCount; ++f)
        c.setField(f, QStringLiteral("%1 %2").arg(tag, fieldName(f)));
    for (const int f : {3, 4, 5, 6, 10, 21})
        c.setField(f, QStringLiteral("+420 60%1 %2").arg(f).arg(tag.size()));
    c.firstName = first;
    c.surname = surname;
    c.company = tag + QStringLiteral(", s.r.o.; a syn");
    c.defaultNumber = 3;
    c.group = QString(QChar(1));
    c.birthday = QStringLiteral("05.11.1975");
    c.recordNumber = 4;
    c.keptItems = {{0xFF41, 9, 0x0003, QByteArray::fromHex("78000000")}};
    return c;
}

// What a vCard reader is to find for the contact: name, parameters, value. The other
// X-VANDREL properties are checked by reading vobject's own writing back.
QList<QStringList> expectedProperties(const ContactRecord &c)
{
    const auto address = [&](std::initializer_list<int> fields) {
        QStringList parts{QString()};
        for (const int f : fields)
            parts.append(c.field(f));
        return parts.join(u'|');
    };
    return {
        {u"N"_qs, {}, c.surname + u'|' + c.firstName + u"|||"_qs},
        {u"FN"_qs, {}, c.displayName},
        {u"TEL"_qs, u"TYPE=HOME TYPE=VOICE"_qs, c.privatePhone},
        {u"TEL"_qs, u"TYPE=VOICE TYPE=WORK"_qs, c.businessPhone},
        {u"TEL"_qs, u"TYPE=CELL TYPE=HOME TYPE=PREF"_qs, c.privateMobile},
        {u"TEL"_qs, u"TYPE=CELL TYPE=WORK"_qs, c.businessMobile},
        {u"TEL"_qs, u"TYPE=FAX TYPE=HOME"_qs, c.privateFax},
        {u"TEL"_qs, u"TYPE=FAX TYPE=WORK"_qs, c.businessFax},
        {u"EMAIL"_qs, u"TYPE=HOME TYPE=INTERNET"_qs, c.privateEmail},
        {u"EMAIL"_qs, u"TYPE=HOME TYPE=INTERNET X-VANDREL-FIELD=privateEmail2"_qs, c.privateEmail2},
        {u"EMAIL"_qs, u"TYPE=INTERNET TYPE=WORK"_qs, c.businessEmail},
        {u"EMAIL"_qs, u"TYPE=INTERNET TYPE=WORK X-VANDREL-FIELD=businessEmail2"_qs, c.businessEmail2},
        {u"URL"_qs, u"TYPE=HOME"_qs, c.privateUrl},
        {u"URL"_qs, u"TYPE=WORK"_qs, c.businessUrl},
        {u"ADR"_qs, u"TYPE=HOME"_qs, address({16, 11, 12, 14, 13, 15})},
        {u"ADR"_qs, u"TYPE=WORK"_qs, address({29, 24, 25, 27, 26, 28})},
        {u"ORG"_qs, {}, c.company},
        {u"TITLE"_qs, {}, c.jobTitle},
        {u"NOTE"_qs, {}, c.privateNotes},
        {u"NOTE"_qs, u"X-VANDREL-FIELD=businessNotes"_qs, c.businessNotes},
        {u"BDAY"_qs, {}, u"1975-11-05"_qs},
        {u"CATEGORIES"_qs, {}, kGroups[1]},
        {u"X-VANDREL-ITEM"_qs, {}, u"FF41 09 0003 78000000"_qs},
    };
}

} // namespace

class VCardPeerTest : public QObject {
    Q_OBJECT
private slots:
    void vobjectReadsEveryField()
    {
        const ContactList table = {everyField(u"Řehoř"_qs, u"Šťastný"_qs, u"Žluťoučký kůň"_qs),
                                   everyField(u"Иван"_qs, u"Петров-Čermák"_qs, u"Щука и ёж"_qs)};
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("book.vcf"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(WriteContactsVCard(table, kGroups));
        f.close();

        QString why;
        const QJsonDocument answer = vtest::runPeer(QStringLiteral("vcard_peer.py"), QJsonDocument(QJsonObject{{u"file"_qs, path}}), &why);
        QVERIFY2(answer.isObject(), qPrintable(why));
        const QJsonArray cards = answer[u"cards"_qs].toArray();
        QCOMPARE(cards.size(), table.size());
        for (qsizetype i = 0; i < table.size(); ++i) {
            QList<QStringList> seen;
            for (const QJsonValue &p : cards[i].toArray())
                seen.append({p[0].toString(), p[1].toString(), p[2].toString()});
            for (const QStringList &expected : expectedProperties(table[i]))
                QVERIFY2(seen.contains(expected), qPrintable(expected.join(u" / ")));
        }
        // vobject writes the cards again in its own way; they still read back whole.
        const ReadVCards back = ReadContactsVCard(answer[u"serialized"_qs].toString().toUtf8(), kGroups);
        QVERIFY2(back.problems.isEmpty(), qPrintable(back.problems.join(u'\n')));
        QCOMPARE(back.contacts, table);
    }
};

VANDREL_TEST(VCardPeerTest)
#include "tst_vcard_peer.moc"
