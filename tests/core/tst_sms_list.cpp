#include "common/testmain.h"

#include <core/at/messagelist.h>
#include <core/phonebook/exports.h>
#include <core/sms/queue.h>
#include <core/sms/smslist.h>

#include <QMap>
#include <QTest>
#include <utility>

using namespace vandrel;
using namespace vandrel::sms;

namespace {

const QDateTime kListed(QDate(2026, 12, 8), QTime(3, 4, 5));
const QString kHello = QStringLiteral("0791246030500200000C9124103254769800007010518003000005E8329BFD06");

SmsRow row(const QList<int> &indexes, const QString &date, const QString &name, const QString &number, const QString &text)
{
    SmsRow r;
    r.indexes = indexes;
    r.stamp.text = date;
    r.name = name;
    r.number = number;
    r.text = text;
    return r;
}

// The received form of one of our submit PDUs: centre, DELIVER first octet, address, PID,
// DCS, a fixed time stamp, then the user data.
QString deliverFrom(const QString &submit)
{
    const QString first = QString::number(submit.mid(2, 2).toInt(nullptr, 16) & 0x40 ? 0x44 : 0x04, 16).rightJustified(2, u'0');
    const QString address = submit.mid(6, 16);
    return QStringLiteral("0791246030500200") + first + address + submit.mid(22, 4) + QStringLiteral("70105180030000") + submit.mid(28);
}

// Parts of the test messages by label: "B1" is part 1 of message B.
QMap<QString, QString> partPdus()
{
    QMap<QString, QString> pdus;
    const auto add = [&](const QString &label, const QString &to, const QString &text, bool received) {
        const auto parts = encodeMessage(to, 0xAA, text, false);
        for (qsizetype i = 0; i < parts->size(); ++i)
            pdus[label + QString::number(i + 1)] = received ? deliverFrom(parts->at(i).pdu) : parts->at(i).pdu;
    };
    add(QStringLiteral("A"), QStringLiteral("420602123456"), QString(153, u'a') + QString(153, u'b') + QString(10, u'c'), false);
    add(QStringLiteral("B"), QStringLiteral("420602123456"), QString(153, u'x') + QString(10, u'y'), false);
    add(QStringLiteral("C"), QStringLiteral("420777888999"), QString(153, u'k') + QString(10, u'l'), false);
    add(QStringLiteral("D"), QStringLiteral("420602123456"), QString(153, u'p') + QString(10, u'q'), false);
    add(QStringLiteral("E"), QStringLiteral("420602123456"), QString(153, u'x') + QString(10, u'y'), true);
    return pdus;
}

QString partText(const QString &label)
{
    if (label == QStringLiteral("…"))
        return kMissingPart;
    return decodePdu(partPdus().value(label)).value().text;
}

// RFC 4180 records.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows{{}};
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted && c == u'"' && text.mid(i + 1, 1) == QStringLiteral("\"")) {
            field += c;
            ++i;
        } else if (c == u'"') {
            quoted = !quoted;
        } else if (!quoted && c == u',') {
            rows.last().append(std::exchange(field, {}));
        } else if (!quoted && c == u'\r' && text.mid(i + 1, 1) == QStringLiteral("\n")) {
            rows.last().append(std::exchange(field, {}));
            rows.append(QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    rows.removeLast();
    return rows;
}

} // namespace

class SmsListTest : public QObject {
    Q_OBJECT
private slots:
    void rowsFromAListing()
    {
        const QByteArray reply =
            "+CMGL: 3,1,,25\r\n" + kHello.toLatin1() + "\r\n"
            "+CMGL: 4,1,,10\r\n0791246030500200000C91241032547698000070105180030000\r\n" // cut short
            "+CMGL: 5,1,,20\r\n0791246030500200000C912410325476980000701051800300000\r\n" // odd digits
            "+CMGL: 6,1,,20\r\n0791246030500200000C9124103254769800007010518003000000\r\n" // empty text
            "+CMGL: 7,1,,25\r\n079124603050020006070C91246020214365701051800300007010518013204000\r\n" // delivery report
            "+CMGL: 8,2,,21\r\n0011000C912410325476980000AA09783C9E5C66E3F178\r\n" // "xxxdelxxx"
            "+CMGL: 9,0,,30\r\n0791246030500200440C91241032547698000470105180030000080605040B8423F0FF\r\n" // for a port
            "+CMGL: 17,2,,19\r\n0011000C912410325476980000AA0385C30F\r\n"
            "OK\r\n";
        const auto parsed = at::parseMessageList(reply, at::MessageCommand::List);
        QVERIFY(parsed.ok());
        const QStringList book = {QStringLiteral("Eva$&@;;777;;"), QStringLiteral("Novák, Jan$&@;;420123456789;;"),
                                  QStringLiteral("Petr$&@602123456;;;;")};
        const SmsListing listing = buildRows(parsed->messages, book, kListed);
        QCOMPARE(listing.problems.size(), qsizetype(2));
        QVERIFY(listing.problems[0].startsWith(QStringLiteral("message 4:")));
        QStringList indexes;
        for (const SmsRow &r : listing.rows)
            indexes.append(r.indexText());
        QCOMPARE(indexes, (QStringList{QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("7"), QStringLiteral("17")}));

        const SmsRow &hello = listing.rows[0];
        QCOMPARE(hello.kind, RowKind::Message);
        QCOMPARE(hello.dateText(), QStringLiteral("15.01.2007 08:30:00"));
        QCOMPARE(hello.stamp.when, QDateTime(QDate(2007, 1, 15), QTime(8, 30), Qt::UTC));
        QCOMPARE(hello.name, QStringLiteral("Novák, Jan"));
        QCOMPARE(hello.number, QStringLiteral("+420123456789"));
        QCOMPARE(hello.text, QStringLiteral("hello"));
        QCOMPARE(hello.pdus, QStringList{kHello});
        QCOMPARE(hello.state, 1);

        // An entry that does not decode stays reachable with its PDU.
        QCOMPARE(listing.rows[1].kind, RowKind::Undecodable);
        QCOMPARE(listing.rows[1].pdus, QStringList{QStringLiteral("0791246030500200000C91241032547698000070105180030000")});
        QVERIFY(listing.rows[1].text.contains(QStringLiteral("cannot be decoded")));

        const SmsRow &report = listing.rows[3];
        QCOMPARE(report.kind, RowKind::DeliveryReport);
        QCOMPARE(report.name, QStringLiteral("Petr"));
        QCOMPARE(report.discharged.display(), QStringLiteral("15.01.2007 08:31:02 +01:00"));
        QCOMPARE(report.text, QStringLiteral("Delivery report: delivered (15.01.2007 08:31:02 +01:00)"));

        QCOMPARE(listing.rows[4].dateText(), QStringLiteral("08.12.2026 03:04:05"));
        QCOMPARE(listing.rows[4].text, QStringLiteral("éì?"));
    }

    void joined_data()
    {
        QTest::addColumn<QString>("entries"); // index:part label, in listing order
        QTest::addColumn<QStringList>("rows"); // indexes=part labels, "…" for a missing part
        QTest::newRow("two parts") << QStringLiteral("5:B1 6:B2") << QStringList{QStringLiteral("5+6=B1 B2")};
        QTest::newRow("three parts listed out of order") << QStringLiteral("9:A3 7:A1 8:A2") << QStringList{QStringLiteral("7+8+9=A1 A2 A3")};
        QTest::newRow("missing middle part") << QStringLiteral("1:A1 3:A3") << QStringList{QStringLiteral("1+3=A1 … A3")};
        QTest::newRow("missing first part") << QStringLiteral("4:A2 5:A3") << QStringList{QStringLiteral("4+5=… A2 A3")};
        QTest::newRow("same reference, other number") << QStringLiteral("1:B1 2:C1 3:B2 4:C2")
                                                      << QStringList{QStringLiteral("1+3=B1 B2"), QStringLiteral("2+4=C1 C2")};
        QTest::newRow("reference used again by the same number") << QStringLiteral("1:B1 2:B2 3:D1 4:D2")
                                                                 << QStringList{QStringLiteral("1+2=B1 B2"), QStringLiteral("3+4=D1 D2")};
        QTest::newRow("received parts joined") << QStringLiteral("11:E2 10:E1") << QStringList{QStringLiteral("10+11=E1 E2")};
        QTest::newRow("received and stored outgoing kept apart") << QStringLiteral("1:B1 2:E2")
                                                                 << QStringList{QStringLiteral("1=B1 …"), QStringLiteral("2=… E2")};
    }
    void joined()
    {
        QFETCH(QString, entries);
        QFETCH(QStringList, rows);
        const auto pdus = partPdus();
        QList<at::StoredMessage> messages;
        for (const QString &e : entries.split(u' ')) {
            const QStringList f = e.split(u':');
            messages.append(at::StoredMessage{f[0].toInt(), 1, 0, pdus.value(f[1])});
        }
        const SmsListing listing = buildRows(messages, {}, kListed);
        QCOMPARE(listing.rows.size(), rows.size());
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const QStringList want = rows[i].split(u'=');
            const SmsRow &r = listing.rows[i];
            QCOMPARE(r.indexesText(), want[0]);
            QString text;
            int missing = 0;
            for (const QString &label : want[1].split(u' ')) {
                text += partText(label);
                missing += label == QStringLiteral("…");
            }
            QCOMPARE(r.text, text);
            QCOMPARE(r.missingParts, missing);
            // Every index keeps its own PDU.
            QCOMPARE(r.pdus.size(), r.indexes.size());
            for (const at::StoredMessage &m : messages)
                if (r.indexes.contains(m.index))
                    QCOMPARE(r.pdus[r.indexes.indexOf(m.index)], m.pdu);
        }
    }

    void cliLines_data()
    {
        QTest::addColumn<SmsRow>("row");
        QTest::addColumn<QString>("line");
        SmsRow joined = row({3, 4}, QStringLiteral("15.01.2007 08:30:00"), QStringLiteral("Novák, Jan"), QStringLiteral("+420602123456"),
                            QStringLiteral("a\nb\tc\\d"));
        joined.stamp.zone = QStringLiteral("-03:00");
        joined.state = 0;
        QTest::newRow("joined, escapes") << joined << QStringLiteral("3+4\tunread\t15.01.2007 08:30:00 -03:00\t+420602123456\tNovák, Jan\ta\\nb\\tc\\\\d");
        SmsRow bad = row({12}, QString(), QString(), QString(), QStringLiteral("x"));
        bad.stamp.problem = QStringLiteral("impossible time stamp (month 15)");
        bad.state = 3;
        QTest::newRow("impossible date, unsent") << bad << QStringLiteral("12\tunsent\timpossible time stamp (month 15)\t\t\tx");
    }
    void cliLines()
    {
        QFETCH(SmsRow, row);
        QFETCH(QString, line);
        QCOMPARE(cliLine(row), line);
    }

    void backupLayout()
    {
        const QList<SmsRow> rows = {row({1}, QStringLiteral("d"), QString(), QStringLiteral("602"), QStringLiteral("Čau")),
                                    row({22}, QStringLiteral("dd"), QStringLiteral("J"), QStringLiteral("7"), QString())};
        const auto xls = smsBackupXls(rows);
        QVERIFY(xls.ok());
        QCOMPARE(xls->cellsNotInCodePage, 0);
        const qsizetype texts = 1 + 1 + 0 + 3 + 3 + 2 + 2 + 1 + 1 + 0;
        QCOMPARE(xls->bytes.size(), 12 + 6 + 10 * 12 + texts + 4);
        QVERIFY(xls->bytes.contains(QByteArray::fromHex("04020B000000040000000300") + "\xC8" "au"));
        QVERIFY(xls->bytes.contains(QByteArray::fromHex("04020A000100000000000200") + "22"));
    }

    // What cp1250 cannot carry used to refuse the whole backup; now the cells are counted.
    void backupCountsWhatCp1250CannotCarry()
    {
        const auto xls = smsBackupXls({row({1, 2}, QString(), QStringLiteral("Иван"), QString(), QStringLiteral("中文 \U0001F600 ok")),
                                       row({3}, QString(), QString(), QString(), QString(3000, u'x'))});
        QVERIFY(xls.ok());
        QCOMPARE(xls->cellsNotInCodePage, 2);
        QCOMPARE(xls->cellsCut, 1);
        QVERIFY(xls->bytes.contains(QByteArray::fromHex("04020B000000000000000300") + "1+2"));
        QVERIFY(xls->bytes.contains("????"));
        QVERIFY(xls->bytes.contains("?? ? ok"));
    }

    void longJoinedMessageReadBackFromCsv()
    {
        QString text;
        while (text.size() < 700)
            text += QStringLiteral("Ahoj, \"ty\"\r\nkonec; ");
        text.truncate(700);
        const auto parts = encodeMessage(QStringLiteral("420602123456"), 0xAA, text, false);
        QCOMPARE(parts->size(), qsizetype(5));
        QList<at::StoredMessage> messages;
        for (qsizetype i = 0; i < parts->size(); ++i)
            messages.append(at::StoredMessage{int(40 + i), 3, 0, parts->at(i).pdu});
        const SmsListing listing = buildRows(messages, {QStringLiteral("Eva, \"Evka\"$&@602123456;;;;")}, kListed);
        QCOMPARE(listing.rows.size(), qsizetype(1));

        const QByteArray csv = smsBackupCsv(listing.rows);
        QVERIFY(csv.startsWith("\xEF\xBB\xBF#,Datum,Jméno,Číslo,Text\r\n"));
        QVERIFY(csv.endsWith("\r\n"));
        const QList<QStringList> records = parseCsv(QString::fromUtf8(csv.mid(3)));
        QCOMPARE(records.size(), qsizetype(2));
        QCOMPARE(records[1], (QStringList{QStringLiteral("40+41+42+43+44"), QStringLiteral("08.12.2026 03:04:05"),
                                          QStringLiteral("Eva, \"Evka\""), QStringLiteral("+420602123456"), text}));
    }
};

class RecipientNameTest : public QObject {
    Q_OBJECT
private slots:
    void nameForNumber_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("equal with country code") << QStringLiteral("+420602123456") << QStringLiteral("Novák, Jan");
        QTest::newRow("equal digits win over the last nine") << QStringLiteral("602123456") << QStringLiteral("Petr");
        QTest::newRow("last nine digits") << QStringLiteral("00420602123456") << QStringLiteral("Novák, Jan");
        QTest::newRow("last nine, blanks in the book") << QStringLiteral("+420777888999") << QStringLiteral("Eva");
        QTest::newRow("short number equal") << QStringLiteral("602") << QStringLiteral("Short");
        QTest::newRow("no substring match") << QStringLiteral("60") << QString();
        QTest::newRow("no substring match inside") << QStringLiteral("21234") << QString();
        QTest::newRow("eight digits must be equal") << QStringLiteral("12345678") << QString();
        QTest::newRow("alphanumeric sender") << QStringLiteral("Vandrel") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void nameForNumber()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        const QStringList book = {QStringLiteral("Novák, Jan$&@+420602123456;;;;"), QStringLiteral("Empty$&@;;;;"),
                                  QStringLiteral("Eva$&@;777 888 999;;;"), QStringLiteral("Petr$&@602123456;;;;"),
                                  QStringLiteral("Short$&@602;;;;"), QStringLiteral("Ctvrtý$&@212345678;;;;")};
        QCOMPARE(phonebook::nameForNumber(book, number), name);
    }
};

class SmsQueueTest : public QObject {
    Q_OBJECT
private slots:
    void lines_data()
    {
        QTest::addColumn<QueuedMessage>("message");
        QTest::addColumn<QString>("line");
        QTest::newRow("name in brackets") << QueuedMessage{QStringLiteral("602111222"), QStringLiteral("Novák"), QStringLiteral("Ahoj")}
                                          << QStringLiteral("602111222 [Novák]: Ahoj");
        QTest::newRow("no name") << QueuedMessage{QStringLiteral("+420602111222"), QString(), QStringLiteral("x: [y]")}
                                 << QStringLiteral("+420602111222 []: x: [y]");
        QTest::newRow("empty text") << QueuedMessage{QStringLiteral("1"), QStringLiteral("A"), QString()} << QStringLiteral("1 [A]: ");
    }
    void lines()
    {
        QFETCH(QueuedMessage, message);
        QFETCH(QString, line);
        QCOMPARE(queueLine(message), line);
        QCOMPARE(parseQueueLine(line), std::optional<QueuedMessage>(message));
        const QByteArray file = writeQueueFile({message, message});
        QVERIFY(file.endsWith("\r\n"));
        QCOMPARE(readQueueFile(file), (QList<QueuedMessage>{message, message}));
    }

    // What the old format lost or split now comes back whole.
    void roundTrip_data()
    {
        QTest::addColumn<QueuedMessage>("message");
        QTest::newRow("line breaks in the text") << QueuedMessage{QStringLiteral("602111222"), QStringLiteral("Novák"), QStringLiteral("a\nb\r\nc\n")};
        QTest::newRow("cyrillic") << QueuedMessage{QStringLiteral("+79161234567"), QStringLiteral("Иван"), QStringLiteral("Привет, как дела?")};
        QTest::newRow("separator in the name") << QueuedMessage{QStringLiteral("1"), QStringLiteral("A]: B [x]"), QStringLiteral("x")};
        QTest::newRow("separator in the number") << QueuedMessage{QStringLiteral("1 [2"), QStringLiteral("A"), QStringLiteral("]: y")};
        QTest::newRow("backslashes") << QueuedMessage{QStringLiteral("1\\"), QStringLiteral("\\"), QStringLiteral("C:\\new\\\\n\\")};
    }
    void roundTrip()
    {
        QFETCH(QueuedMessage, message);
        const QueuedMessage plain{QStringLiteral("2"), QStringLiteral("B"), QStringLiteral("ok")};
        const QByteArray file = writeQueueFile({message, plain});
        QCOMPARE(file.count("\r\n"), qsizetype(2)); // one line per message
        QCOMPARE(readQueueFile(file), (QList<QueuedMessage>{message, plain}));
    }

    // Files without the UTF-8 mark read as they always did.
    void oldFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QList<QueuedMessage>>("queue");
        QTest::newRow("cp1250") << QByteArray("602111222 [Nov\xE1k]: Ahoj\r\n")
                                << QList<QueuedMessage>{{QStringLiteral("602111222"), QStringLiteral("Novák"), QStringLiteral("Ahoj")}};
        QTest::newRow("utf-8 without the mark") << QByteArray("602111222 [Nov\xC3\xA1k]: \xC5\x99\r\n")
                                                << QList<QueuedMessage>{{QStringLiteral("602111222"), QStringLiteral("Novák"), QStringLiteral("ř")}};
        QTest::newRow("backslashes are text") << QByteArray("1 [A]: C:\\new\\r\r\n")
                                              << QList<QueuedMessage>{{QStringLiteral("1"), QStringLiteral("A"), QStringLiteral("C:\\new\\r")}};
        QTest::newRow("foreign lines left out")
            << QByteArray("garbage\r\n1 [A]: x\r\n\r\nno bracket: y\n2 [B]: \xE8\r\n")
            << QList<QueuedMessage>{{QStringLiteral("1"), QStringLiteral("A"), QStringLiteral("x")},
                                    {QStringLiteral("2"), QStringLiteral("B"), QStringLiteral("č")}};
    }
    void oldFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QList<QueuedMessage>, queue);
        QCOMPARE(readQueueFile(file), queue);
    }
};

VANDREL_TEST(SmsListTest)
VANDREL_TEST(RecipientNameTest)
VANDREL_TEST(SmsQueueTest)
#include "tst_sms_list.moc"
