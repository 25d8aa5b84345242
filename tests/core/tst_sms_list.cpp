#include "common/testmain.h"

#include <core/at/messagelist.h>
#include <core/phonebook/exports.h>
#include <core/sms/queue.h>
#include <core/sms/smslist.h>

#include <QTest>

using namespace vandrel;
using namespace vandrel::sms;

class SmsListTest : public QObject {
    Q_OBJECT
private slots:
    void rowsFromAListing()
    {
        const QByteArray reply =
            "+CMGL: 3,1,,25\r\n0791246030500200000C9124103254769800007010518003000005E8329BFD06\r\n"
            "+CMGL: 4,1,,10\r\n0791246030500200000C91241032547698000070105180030000\r\n" // cut short
            "+CMGL: 5,1,,20\r\n0791246030500200000C912410325476980000701051800300000\r\n" // odd digits
            "+CMGL: 6,1,,20\r\n0791246030500200000C9124103254769800007010518003000000\r\n" // empty text
            "+CMGL: 17,2,,19\r\n0011000C912410325476980000AA0385C30F\r\n"
            "OK\r\n";
        const auto parsed = at::parseMessageList(reply, at::MessageCommand::List);
        QVERIFY(parsed.ok());
        const QStringList book = {QStringLiteral("Eva$&@;;777;;"), QStringLiteral("Novák, Jan$&@;;420123456789;;")};
        const SmsListing listing = buildRows(parsed->messages, book, QDateTime(QDate(2026, 12, 8), QTime(3, 4, 5)));
        QCOMPARE(listing.problems.size(), qsizetype(2));
        QVERIFY(listing.problems[0].startsWith(QStringLiteral("message 4:")));
        QCOMPARE(listing.rows.size(), qsizetype(2));
        const SmsRow first{QStringLiteral("3"), QStringLiteral("15.01.2007 08:30:00"), QStringLiteral("Novák, Jan"),
                           QStringLiteral("+420123456789"), QStringLiteral("hello"),
                           QStringLiteral("0791246030500200000C9124103254769800007010518003000005E8329BFD06")};
        QCOMPARE(listing.rows[0], first);
        QCOMPARE(listing.rows[1].index, QStringLiteral("17"));
        QCOMPARE(listing.rows[1].date, QStringLiteral("08.12.2026 03:04:05"));
        QCOMPARE(listing.rows[1].text, QStringLiteral("éì?"));
    }

    void backupLayout()
    {
        const QList<SmsRow> rows = {{QStringLiteral("1"), QStringLiteral("d"), QString(), QStringLiteral("602"), QStringLiteral("Čau"), {}},
                                    {QStringLiteral("22"), QStringLiteral("dd"), QStringLiteral("J"), QStringLiteral("7"), QString(), {}}};
        const auto xls = smsBackupXls(rows);
        QVERIFY(xls.ok());
        const qsizetype texts = 1 + 1 + 0 + 3 + 3 + 2 + 2 + 1 + 1 + 0;
        QCOMPARE(xls->size(), 12 + 6 + 10 * 12 + texts + 4);
        QVERIFY(xls->contains(QByteArray::fromHex("04020B000000040000000300") + "\xC8" "au"));
        QVERIFY(xls->contains(QByteArray::fromHex("04020A000100000000000200") + "22"));
    }

    void backupRefusesWhatCp1250CannotCarry()
    {
        const auto xls = smsBackupXls({{QStringLiteral("1"), QString(), QString(), QString(), QStringLiteral("中文"), {}}});
        QVERIFY(!xls.ok());
        QVERIFY2(xls.error().contains(QStringLiteral("row 1, column 5")), qPrintable(xls.error()));
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
        const auto file = writeQueueFile({message, message});
        QVERIFY(file.ok());
        QVERIFY(file->endsWith("\r\n"));
        QCOMPARE(readQueueFile(*file), (QList<QueuedMessage>{message, message}));
    }

    void refused_data()
    {
        QTest::addColumn<QueuedMessage>("message");
        QTest::newRow("line break in the text") << QueuedMessage{QStringLiteral("1"), QStringLiteral("A"), QStringLiteral("a\nb")};
        QTest::newRow("separator in the name") << QueuedMessage{QStringLiteral("1"), QStringLiteral("A]: B"), QStringLiteral("x")};
        QTest::newRow("separator in the number") << QueuedMessage{QStringLiteral("1 [2"), QStringLiteral("A"), QStringLiteral("x")};
        QTest::newRow("not cp1250") << QueuedMessage{QStringLiteral("1"), QStringLiteral("A"), QStringLiteral("中")};
    }
    void refused()
    {
        QFETCH(QueuedMessage, message);
        const auto file = writeQueueFile({message});
        QVERIFY(!file.ok());
        QVERIFY(file.error().startsWith(QStringLiteral("queued message 1")));
    }

    void foreignLinesLeftOut()
    {
        QCOMPARE(readQueueFile("garbage\r\n1 [A]: x\r\n\r\nno bracket: y\n2 [B]: \xE8\r\n"),
                 (QList<QueuedMessage>{{QStringLiteral("1"), QStringLiteral("A"), QStringLiteral("x")},
                                       {QStringLiteral("2"), QStringLiteral("B"), QStringLiteral("č")}}));
    }
};

VANDREL_TEST(SmsListTest)
VANDREL_TEST(RecipientNameTest)
VANDREL_TEST(SmsQueueTest)
#include "tst_sms_list.moc"
