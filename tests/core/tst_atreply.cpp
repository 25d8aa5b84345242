#include "common/testmain.h"

#include <core/at/atreply.h>

#include <QTest>

using namespace vandrel::at;

class AtReplyTest : public QObject {
    Q_OBJECT
private slots:
    void completeAtFinalCode_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("final");
        QTest::newRow("echo and ok") << QByteArray("ATE1\r\r\nOK\r\n") << int(Final::Ok);
        QTest::newRow("information") << QByteArray("AT+CGMI\r\r\nVandrel\r\n\r\nOK\r\n") << int(Final::Ok);
        QTest::newRow("error") << QByteArray("AT^SCID\r\r\nERROR\r\n") << int(Final::Error);
        QTest::newRow("cms error") << QByteArray("\r\n+CMS ERROR: 321\r\n") << int(Final::DeviceError);
        QTest::newRow("no carrier is not the phone's error") << QByteArray("\r\nNO CARRIER\r\n") << int(Final::Other);
        QTest::newRow("no echo, bare lf") << QByteArray("OK\n") << int(Final::Ok);
        // "OK" inside information is no final code.
        QTest::newRow("ok inside a line") << QByteArray("\r\n+COPS: 0,0,\"OK mobile\"\r\n\r\nOK\r\n") << int(Final::Ok);
    }
    void completeAtFinalCode()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, final);
        // whole
        QCOMPARE(replyLength(reply), reply.size());
        QCOMPARE(int(finalOf(reply)), final);
        // byte by byte: incomplete until the last byte
        for (qsizetype n = 0; n < reply.size(); ++n)
            QCOMPARE(replyLength(reply.left(n)), qsizetype(0));
        // trailing bytes stay outside the reply
        const QByteArray more = reply + "+CMTI: \"SM\",3\r\n";
        QCOMPARE(replyLength(more), reply.size());
    }

    void informationWithoutEchoAndCodes()
    {
        const QByteArray r("AT+CGMM\r\r\nVX-100\r\n\r\nOK\r\n");
        QCOMPARE(informationLines(r, "AT+CGMM"), QList<QByteArray>{"VX-100"});
        QCOMPARE(informationLines("AT^SCID\r\r\nERROR\r\n", "AT^SCID"), QList<QByteArray>{});
    }

    void noticesTakenWhereverTheyFall_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<QList<QByteArray>>("notices");
        QTest::newRow("alone") << QByteArray("\r\n+CMTI: \"SM\",3\r\n") << QByteArray()
                               << QList<QByteArray>{"+CMTI: \"SM\",3"};
        QTest::newRow("inside a reply") << QByteArray("AT+CSQ\r\r\n+CMTI: \"SM\",12\r\n\r\n+CSQ: 20,99\r\n\r\nOK\r\n")
                                        << QByteArray("AT+CSQ\r\r\n+CSQ: 20,99\r\n\r\nOK\r\n")
                                        << QList<QByteArray>{"+CMTI: \"SM\",12"};
        QTest::newRow("incomplete stays") << QByteArray("OK\r\n+CMTI: \"SM\",1") << QByteArray("OK\r\n+CMTI: \"SM\",1")
                                          << QList<QByteArray>{};
        QTest::newRow("two") << QByteArray("+CMTI: \"SM\",1\r\n+CMTI: \"ME\",2\r\n") << QByteArray()
                             << QList<QByteArray>{"+CMTI: \"SM\",1", "+CMTI: \"ME\",2"};
        // The line end of "OK" belongs to the reply, not to the notice after it.
        QTest::newRow("same read as OK") << QByteArray("AT\r\r\nOK\r\n\r\n+CMTI: \"SM\",4\r\n")
                                         << QByteArray("AT\r\r\nOK\r\n") << QList<QByteArray>{"+CMTI: \"SM\",4"};
        QTest::newRow("right after OK") << QByteArray("\r\nOK\r\n+CMTI: \"SM\",5\r\n") << QByteArray("\r\nOK\r\n")
                                        << QList<QByteArray>{"+CMTI: \"SM\",5"};
        QTest::newRow("inside another line stays") << QByteArray("+CMGR: \"x+CMTI: y\"\r\n")
                                                   << QByteArray("+CMGR: \"x+CMTI: y\"\r\n") << QList<QByteArray>{};
    }
    void noticesTakenWhereverTheyFall()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(QByteArray, left);
        QFETCH(QList<QByteArray>, notices);
        QCOMPARE(takeNewMessageNotices(buffer), notices);
        QCOMPARE(buffer, left);
    }

    void messageIndex_data()
    {
        QTest::addColumn<QByteArray>("notice");
        QTest::addColumn<int>("index");
        QTest::newRow("one digit") << QByteArray("+CMTI: \"SM\",3") << 3;
        QTest::newRow("two digits") << QByteArray("+CMTI: \"SM\",12") << 12;
        QTest::newRow("three digits") << QByteArray("+CMTI: \"SM\",255") << 255;
        QTest::newRow("four digits cut to three") << QByteArray("+CMTI: \"SM\",1234") << 123;
        QTest::newRow("longer storage name") << QByteArray("+CMTI: \"MT\", 7") << 7;
        QTest::newRow("no index") << QByteArray("+CMTI: \"SM\",") << -1;
        QTest::newRow("no quotes") << QByteArray("+CMTI: SM,4") << -1;
    }
    void messageIndex()
    {
        QFETCH(QByteArray, notice);
        QFETCH(int, index);
        QCOMPARE(newMessageIndex(notice).value_or(-1), index);
    }

    void garbageNeverCrashes()
    {
        std::srand(7);
        for (int round = 0; round < 500; ++round) {
            QByteArray b;
            const int n = std::rand() % 40;
            for (int i = 0; i < n; ++i)
                b.append("\r\nOK+CMTI:\",1ERROR"[std::rand() % 18]);
            const qsizetype len = replyLength(b);
            QVERIFY(len >= 0 && len <= b.size());
            QByteArray copy = b;
            takeNewMessageNotices(copy);
            QVERIFY(copy.size() <= b.size());
            newMessageIndex(b);
        }
    }
};

VANDREL_TEST(AtReplyTest)
#include "tst_atreply.moc"
