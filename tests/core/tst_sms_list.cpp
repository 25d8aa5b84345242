#include "common/testmain.h"

#include <core/at/messagelist.h>
#include <core/phonebook/exports.h>
#include <core/sms/queue.h>
#include <core/sms/smslist.h>

#include <QMap>
#include <QTest>

using namespace vandrel;
using namespace vandrel::sms;

namespace {

const QDateTime kListed(QDate(2026, 12, 8), QTime(3, 4, 5));
const QString kHello = QStringLiteral("0791246030500200000C9124103254769800007010518003000005E8329BFD06");

SmsRow row(const QList<int> &indexes, const QString &name, const QString &text)
{
    SmsRow r;
    r.indexes = indexes;
    r.stamp.text = QStringLiteral("15.01.2007 08:30:00");
    r.name = name;
    r.number = QStringLiteral("+420602123456");
    r.text = text;
    return r;
}

// Parts of the test messages by label: "B1" is part 1 of message B. B and D share number and
// reference, C goes to another number.
QMap<QString, QString> partPdus()
{
    QMap<QString, QString> pdus;
    const auto add = [&](const char *label, const QString &to, const QString &text) {
        const auto parts = encodeMessage(to, 0xAA, text, false);
        for (qsizetype i = 0; i < parts->size(); ++i)
            pdus[QLatin1String(label) + QString::number(i + 1)] = parts->at(i).pdu;
    };
    add("A", QStringLiteral("420602123456"), QString(153, u'a') + QString(153, u'b') + QString(10, u'c'));
    add("B", QStringLiteral("420602123456"), QString(153, u'x') + QString(10, u'y'));
    add("C", QStringLiteral("420777888999"), QString(153, u'k') + QString(10, u'l'));
    add("D", QStringLiteral("420602123456"), QString(153, u'p') + QString(10, u'q'));
    return pdus;
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
        const QStringList book = {QStringLiteral("Novák, Jan$&@;;420123456789;;"), QStringLiteral("Petr$&@602123456;;;;")};
        const SmsListing listing = buildRows(parsed->messages, book, kListed);
        QCOMPARE(listing.problems.size(), qsizetype(2));
        QVERIFY(listing.problems[0].startsWith(QStringLiteral("message 4:")));
        QStringList got;
        for (const SmsRow &r : listing.rows)
            got.append(QStringList{r.indexesText(), QString::number(int(r.kind)), r.dateText(), r.name, r.number, r.text}.join(u'|'));
        QCOMPARE(got, (QStringList{
                          QStringLiteral("3|0|15.01.2007 08:30:00|Novák, Jan|+420123456789|hello"),
                          QStringLiteral("4|2||||The message cannot be decoded: the PDU ends before the user-data length"),
                          QStringLiteral("5|2||||The message cannot be decoded: the PDU is not an even run of hexadecimal digits"),
                          QStringLiteral("7|1|15.01.2007 08:30:00|Petr|+420602123456|Delivery report: delivered (15.01.2007 08:31:02 +01:00)"),
                          QStringLiteral("17|0|08.12.2026 03:04:05|Novák, Jan|+420123456789|éì?"),
                      }));
        QCOMPARE(listing.rows[0].stamp.when, QDateTime(QDate(2007, 1, 15), QTime(8, 30), Qt::UTC));
        QCOMPARE(listing.rows[0].pdus, QStringList{kHello});
        // An entry that does not decode stays reachable with its PDU.
        QCOMPARE(listing.rows[1].pdus, QStringList{QStringLiteral("0791246030500200000C91241032547698000070105180030000")});
    }

    void joined_data()
    {
        QTest::addColumn<QString>("entries"); // index:part label, in listing order
        QTest::addColumn<QStringList>("rows"); // indexes=part labels, "…" for a missing part
        QTest::newRow("two parts") << QStringLiteral("5:B1 6:B2") << QStringList{QStringLiteral("5+6=B1 B2")};
        QTest::newRow("three parts listed out of order") << QStringLiteral("9:A3 7:A1 8:A2") << QStringList{QStringLiteral("7+8+9=A1 A2 A3")};
        QTest::newRow("missing middle part") << QStringLiteral("1:A1 3:A3") << QStringList{QStringLiteral("1+3=A1 … A3")};
        QTest::newRow("same reference, other number") << QStringLiteral("1:B1 2:C1 3:B2 4:C2")
                                                      << QStringList{QStringLiteral("1+3=B1 B2"), QStringLiteral("2+4=C1 C2")};
        QTest::newRow("reference used again by the same number") << QStringLiteral("1:B1 2:B2 3:D1 4:D2")
                                                                 << QStringList{QStringLiteral("1+2=B1 B2"), QStringLiteral("3+4=D1 D2")};
    }
    void joined()
    {
        QFETCH(QString, entries);
        QFETCH(QStringList, rows);
        const auto pdus = partPdus();
        QList<at::StoredMessage> messages;
        QMap<int, QString> listed;
        for (const QString &e : entries.split(u' ')) {
            const int index = e.section(u':', 0, 0).toInt();
            listed[index] = pdus.value(e.section(u':', 1));
            messages.append(at::StoredMessage{index, 1, 0, listed[index]});
        }
        const SmsListing listing = buildRows(messages, {}, kListed);
        QCOMPARE(listing.rows.size(), rows.size());
        for (qsizetype n = 0; n < rows.size(); ++n) {
            const SmsRow &r = listing.rows[n];
            QCOMPARE(r.indexesText(), rows[n].section(u'=', 0, 0));
            QString text;
            for (const QString &label : rows[n].section(u'=', 1).split(u' '))
                text += label == QStringLiteral("…") ? kMissingPart : decodePdu(pdus.value(label))->text;
            QCOMPARE(r.text, text);
            for (qsizetype k = 0; k < r.indexes.size(); ++k)
                QCOMPARE(r.pdus[k], listed[r.indexes[k]]); // every index keeps its own PDU
        }
    }

    void cliLine()
    {
        SmsRow joined = row({3, 4}, QStringLiteral("Novák, Jan"), QStringLiteral("a\nb\tc\\d"));
        joined.stamp.zone = QStringLiteral("-03:00");
        joined.state = 0;
        QCOMPARE(sms::cliLine(joined), QStringLiteral("3+4\tunread\t15.01.2007 08:30:00 -03:00\t+420602123456\tNovák, Jan\ta\\nb\\tc\\\\d"));
        SmsRow bad = row({12}, QString(), QStringLiteral("x"));
        bad.stamp = {QString(), QString(), {}, QStringLiteral("impossible time stamp (month 15)")};
        bad.state = 3;
        QCOMPARE(sms::cliLine(bad), QStringLiteral("12\tunsent\timpossible time stamp (month 15)\t+420602123456\t\tx"));
    }

    void backupLayout()
    {
        QList<SmsRow> rows = {row({1}, QString(), QStringLiteral("Čau")), row({22}, QStringLiteral("J"), QString())};
        rows[0].stamp.text = QStringLiteral("d");
        rows[0].number = QStringLiteral("602");
        rows[1].stamp.text = QStringLiteral("dd");
        rows[1].number = QStringLiteral("7");
        const auto xls = smsBackupXls(rows);
        QCOMPARE(xls->cellsNotInCodePage, 0);
        const qsizetype texts = 1 + 1 + 0 + 3 + 3 + 2 + 2 + 1 + 1 + 0;
        QCOMPARE(xls->bytes.size(), 12 + 6 + 10 * 12 + texts + 4);
        QVERIFY(xls->bytes.contains(QByteArray::fromHex("04020B000000040000000300") + "\xC8" "au"));
        QVERIFY(xls->bytes.contains(QByteArray::fromHex("04020A000100000000000200") + "22"));
    }

    // What cp1250 cannot carry used to refuse the whole backup; now the cells are counted.
    void backupCountsWhatCp1250CannotCarry()
    {
        const auto xls = smsBackupXls({row({1, 2}, QStringLiteral("Иван"), QStringLiteral("中文 \U0001F600 ok")),
                                       row({3}, QString(), QString(3000, u'x'))});
        QCOMPARE(xls->cellsNotInCodePage, 2);
        QCOMPARE(xls->cellsCut, 1);
        QVERIFY(xls->bytes.contains(QByteArray::fromHex("04020B000000000000000300") + "1+2"));
        QVERIFY(xls->bytes.contains("????"));
        QVERIFY(xls->bytes.contains("?? ? ok"));
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
        QTest::newRow("last nine, blanks in the book") << QStringLiteral("+420777888999") << QStringLiteral("Eva");
        QTest::newRow("no substring match") << QStringLiteral("60") << QString();
        QTest::newRow("eight digits must be equal") << QStringLiteral("12345678") << QString();
        QTest::newRow("alphanumeric sender") << QStringLiteral("Vandrel") << QString();
    }
    void nameForNumber()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        const QStringList book = {QStringLiteral("Novák, Jan$&@+420602123456;;;;"), QStringLiteral("Empty$&@;;;;"),
                                  QStringLiteral("Eva$&@;777 888 999;;;"), QStringLiteral("Petr$&@602123456;;;;"),
                                  QStringLiteral("Ctvrtý$&@212345678;;;;")};
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
        QTest::newRow("separators in number and name") << QueuedMessage{QStringLiteral("1 [2"), QStringLiteral("A]: B [x]"), QStringLiteral("]: y")};
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
