#include "common/testmain.h"

#include <core/at/messagelist.h>

#include <QRandomGenerator>
#include <QTest>

using namespace vandrel::at;

namespace {
const QByteArray kPdu1 = "0791246030500200000C9124103254769800007010518003000005E8329BFD06";
const QByteArray kPdu2 = "0011000C912410325476980009AA0C00410068006F006A0020010D";

// Feeds the reply whole, byte by byte, and with bytes after it; all three must agree and the
// bytes after the final result must be left over.
void feedThreeWays(MessageListParser::Command command, const QByteArray &reply,
                   const std::function<void(const MessageListParser &)> &check)
{
    {
        MessageListParser p(command);
        QCOMPARE(p.feed(reply), reply.size());
        QVERIFY(p.finished());
        check(p);
    }
    {
        MessageListParser p(command);
        for (qsizetype i = 0; i < reply.size(); ++i) {
            QVERIFY(!p.finished());
            QCOMPARE(p.feed(reply.mid(i, 1)), qsizetype(1));
        }
        QVERIFY(p.finished());
        check(p);
    }
    {
        const QByteArray trailing = "\r\n+CMTI: \"SM\",7\r\n";
        MessageListParser p(command);
        QCOMPARE(p.feed(reply + trailing), reply.size());
        QVERIFY(p.finished());
        QCOMPARE(p.feed(trailing), qsizetype(0));
        check(p);
    }
}
} // namespace

class MessageListParserTest : public QObject {
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
        QTest::newRow("no messages") << QByteArray("\r\nOK\r\n") << QList<StoredMessage>{} << QString() << 0 << QStringList{};
        QTest::newRow("alpha field with a comma, bare LF")
            << QByteArray("+CMGL: 3,2,\"Novák, Jan\",19\n" + kPdu2 + "\nOK\n")
            << QList<StoredMessage>{{3, 2, 19, QString::fromLatin1(kPdu2)}} << QString() << 0 << QStringList{};
        QTest::newRow("error") << QByteArray("\r\nERROR\r\n") << QList<StoredMessage>{} << QStringLiteral("ERROR") << 0 << QStringList{};
        QTest::newRow("cms error after an entry")
            << QByteArray("+CMGL: 1,0,,25\r\n" + kPdu1 + "\r\n+CMS ERROR: 321\r\n")
            << QList<StoredMessage>{{1, 0, 25, QString::fromLatin1(kPdu1)}} << QStringLiteral("+CMS ERROR: 321") << 0 << QStringList{};
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
        feedThreeWays(MessageListParser::Command::List, reply, [&](const MessageListParser &p) {
            QCOMPARE(p.messages(), messages);
            QCOMPARE(p.error(), error);
            QCOMPARE(p.failed(), !error.isEmpty());
            QCOMPARE(p.problems().size(), qsizetype(problems));
            QCOMPARE(p.unsolicited(), unsolicited);
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
        feedThreeWays(MessageListParser::Command::Read, reply, [&](const MessageListParser &p) {
            QCOMPARE(p.messages(), messages);
            QVERIFY(!p.failed());
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
            MessageListParser p;
            const qsizetype used = p.feed(b);
            QVERIFY(used >= 0 && used <= b.size());
            if (used < b.size())
                QVERIFY(p.finished());
            for (const StoredMessage &m : p.messages())
                QVERIFY(m.index >= 0 && !m.pdu.isEmpty());
        }
    }
};

VANDREL_TEST(MessageListParserTest)
#include "tst_at_messagelist.moc"
