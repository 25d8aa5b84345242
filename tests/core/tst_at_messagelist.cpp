#include "common/testmain.h"

#include <core/at/atreply.h>
#include <core/at/messagelist.h>

#include <QRandomGenerator>
#include <QTest>

using namespace vandrel;
using namespace vandrel::at;

namespace {
const QByteArray kPdu1 = "0791246030500200000C9124103254769800007010518003000005E8329BFD06";
const QByteArray kPdu2 = "0011000C912410325476980009AA0C00410068006F006A0020010D";

// Frames the reply whole, byte by byte, and with bytes after it: all three must give the same
// reply, and the bytes after its final result stay in the buffer.
void feedThreeWays(MessageCommand command, const QByteArray &reply,
                   const std::function<void(const Checked<MessageList> &)> &check)
{
    QCOMPARE(replyLength(reply), reply.size());
    check(parseMessageList(reply.left(replyLength(reply)), command));

    QByteArray buffer;
    for (qsizetype i = 0; i < reply.size(); ++i) {
        QCOMPARE(replyLength(buffer), qsizetype(0));
        buffer.append(reply[i]);
    }
    QCOMPARE(replyLength(buffer), reply.size());
    check(parseMessageList(buffer, command));

    const QByteArray trailing = "\r\n+CMTI: \"SM\",7\r\n";
    buffer = reply + trailing;
    const qsizetype n = replyLength(buffer);
    QCOMPARE(n, reply.size());
    check(parseMessageList(buffer.left(n), command));
    QCOMPARE(buffer.mid(n), trailing);
}
} // namespace

class MessageListTest : public QObject {
    Q_OBJECT
private slots:
    void list_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QList<StoredMessage>>("messages");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("problems");
        QTest::addColumn<QStringList>("unsolicited");
        QTest::newRow("two entries with echo")
            << QByteArray("AT+CMGL=4\r\r\n+CMGL: 123,1,,25\r\n" + kPdu1 + "\r\n+CMGL: 7,0,,152\r\n" + kPdu2 + "\r\n\r\nOK\r\n")
            << QList<StoredMessage>{{123, 1, 25, QString::fromLatin1(kPdu1)}, {7, 0, 152, QString::fromLatin1(kPdu2)}}
            << QString() << 0 << QStringList{};
        QTest::newRow("one-, two- and three-digit indexes and lengths")
            << QByteArray("+CMGL: 1,0,,9\r\n" + kPdu2 + "\r\n+CMGL: 42,1,,25\r\n" + kPdu1 + "\r\n+CMGL: 123,3,,152\r\n" + kPdu2 + "\r\nOK\r\n")
            << QList<StoredMessage>{{1, 0, 9, QString::fromLatin1(kPdu2)}, {42, 1, 25, QString::fromLatin1(kPdu1)},
                                    {123, 3, 152, QString::fromLatin1(kPdu2)}}
            << QString() << 0 << QStringList{};
        QTest::newRow("no messages") << QByteArray("\r\nOK\r\n") << QList<StoredMessage>{} << QString() << 0 << QStringList{};
        QTest::newRow("alpha field with a comma, bare LF")
            << QByteArray("+CMGL: 3,2,\"Novák, Jan\",19\n" + kPdu2 + "\nOK\n")
            << QList<StoredMessage>{{3, 2, 19, QString::fromLatin1(kPdu2)}} << QString() << 0 << QStringList{};
        QTest::newRow("error") << QByteArray("\r\nERROR\r\n") << QList<StoredMessage>{} << QStringLiteral("ERROR") << 0 << QStringList{};
        QTest::newRow("cms error after an entry")
            << QByteArray("+CMGL: 1,0,,25\r\n" + kPdu1 + "\r\n+CMS ERROR: 321\r\n")
            << QList<StoredMessage>{} << QStringLiteral("+CMS ERROR: 321") << 0 << QStringList{};
        QTest::newRow("notice in between")
            << QByteArray("+CMGL: 1,0,,25\r\n" + kPdu1 + "\r\n+CMTI: \"SM\",2\r\nOK\r\n")
            << QList<StoredMessage>{{1, 0, 25, QString::fromLatin1(kPdu1)}} << QString() << 0
            << QStringList{QStringLiteral("+CMTI: \"SM\",2")};
        QTest::newRow("entry without its pdu")
            << QByteArray("+CMGL: 1,0,,25\r\nOK\r\n") << QList<StoredMessage>{} << QString() << 1 << QStringList{};
        QTest::newRow("unreadable entry line, the next one still read")
            << QByteArray("+CMGL: x,0,,25\r\n" + kPdu1 + "\r\n+CMGL: 2,1,,25\r\n" + kPdu1 + "\r\nOK\r\n")
            << QList<StoredMessage>{{2, 1, 25, QString::fromLatin1(kPdu1)}} << QString() << 1 << QStringList{};
    }
    void list()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QList<StoredMessage>, messages);
        QFETCH(QString, error);
        QFETCH(int, problems);
        QFETCH(QStringList, unsolicited);
        feedThreeWays(MessageCommand::List, reply, [&](const Checked<MessageList> &p) {
            QCOMPARE(p.ok(), error.isEmpty());
            if (!p) {
                QCOMPARE(p.error(), error);
                return;
            }
            QCOMPARE(p->messages, messages);
            QCOMPARE(p->problems.size(), qsizetype(problems));
            QCOMPARE(p->unsolicited, unsolicited);
        });
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QList<StoredMessage>>("messages");
        QTest::newRow("two-digit length") << QByteArray("\r\n+CMGR: 0,,25\r\n" + kPdu1 + "\r\n\r\nOK\r\n")
                                          << QList<StoredMessage>{{-1, 0, 25, QString::fromLatin1(kPdu1)}};
        QTest::newRow("three-digit length") << QByteArray("+CMGR: 1,,152\r\n" + kPdu2 + "\r\nOK\r\n")
                                            << QList<StoredMessage>{{-1, 1, 152, QString::fromLatin1(kPdu2)}};
    }
    void read()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QList<StoredMessage>, messages);
        feedThreeWays(MessageCommand::Read, reply, [&](const Checked<MessageList> &p) {
            QVERIFY(p.ok());
            QCOMPARE(p->messages, messages);
        });
    }

    void randomInputNeverCrashes()
    {
        QRandomGenerator rng(4242);
        const QByteArray alphabet = "+CMGL: 0123456789,\r\nOKERABCDEF\"";
        for (int round = 0; round < 3000; ++round) {
            QByteArray b(rng.bounded(0, 120), '\0');
            for (auto &c : b)
                c = alphabet[rng.bounded(int(alphabet.size()))];
            const qsizetype n = replyLength(b);
            QVERIFY(n >= 0 && n <= b.size());
            const auto p = parseMessageList(b.left(n ? n : b.size()), MessageCommand::List);
            if (p)
                for (const StoredMessage &m : p->messages)
                    QVERIFY(m.index >= 0 && !m.pdu.isEmpty());
        }
    }
};

VANDREL_TEST(MessageListTest)
#include "tst_at_messagelist.moc"
