#include "common/testmain.h"

#include <core/text/transcript.h>

#include <QTest>

using namespace vandrel::text;
using Port = TranscriptEntry::Port;
using Direction = TranscriptEntry::Direction;

Q_DECLARE_METATYPE(TranscriptEntry)

class TranscriptTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<TranscriptEntry>("entry");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("at command") << TranscriptEntry{0, Port::Modem, Direction::ToPhone, "AT\r"}
                                    << QByteArray("0 modem > 41 54 0D");
        QTest::newRow("empty") << TranscriptEntry{17, Port::Diag, Direction::FromPhone, {}} << QByteArray("17 diag <");
        QTest::newRow("binary") << TranscriptEntry{123456789012, Port::Diag, Direction::ToPhone, QByteArray("\x00\x7E\xFF\x7D", 4)}
                                << QByteArray("123456789012 diag > 00 7E FF 7D");
    }
    void roundTrip()
    {
        QFETCH(TranscriptEntry, entry);
        QFETCH(QByteArray, line);
        QCOMPARE(formatTranscriptLine(entry), line);
        QCOMPARE(parseTranscriptLine(line), std::optional(entry));
    }

    void rejects_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("comment") << QByteArray("# 1 modem > 41");
        QTest::newRow("odd digits") << QByteArray("1 modem > 415");
        QTest::newRow("not hex") << QByteArray("1 modem > 4G");
        QTest::newRow("unknown port") << QByteArray("1 usb > 41");
        QTest::newRow("unknown direction") << QByteArray("1 modem = 41");
        QTest::newRow("negative time") << QByteArray("-1 modem > 41");
        QTest::newRow("too short") << QByteArray("1 modem");
    }
    void rejects()
    {
        QFETCH(QByteArray, line);
        QVERIFY(!parseTranscriptLine(line));
    }

    // The replay answers each recorded request however it is split, and stops at a stranger.
    void replay_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<bool>("mismatched");
        QTest::newRow("as recorded") << QList<QByteArray>{"AT\r", "ATE1\r"} << QByteArray("OK|ERR|") << false;
        QTest::newRow("byte by byte") << QList<QByteArray>{"A", "T", "\r", "ATE", "1", "\r"} << QByteArray("||OK|||ERR|") << false;
        QTest::newRow("together") << QList<QByteArray>{"AT\rATE1\r"} << QByteArray("OKERR|") << false;
        QTest::newRow("different") << QList<QByteArray>{"AT\r", "ATZ\r", "ATE1\r"} << QByteArray("OK|||") << true;
        QTest::newRow("more than recorded") << QList<QByteArray>{"AT\rATE1\rAT\r"} << QByteArray("OKERR|") << true;
    }
    void replay()
    {
        QFETCH(QList<QByteArray>, pieces);
        QFETCH(QByteArray, answers);
        QFETCH(bool, mismatched);
        const QList<TranscriptEntry> recorded{
            {0, Port::Modem, Direction::ToPhone, "A"},    {1, Port::Modem, Direction::ToPhone, "T\r"},
            {2, Port::Diag, Direction::FromPhone, "x"},   {3, Port::Modem, Direction::FromPhone, "O"},
            {4, Port::Modem, Direction::FromPhone, "K"},  {5, Port::Modem, Direction::ToPhone, "ATE1\r"},
            {6, Port::Modem, Direction::FromPhone, "ERR"},
        };
        TranscriptReplay replay(recorded, Port::Modem);
        QByteArray got;
        for (const QByteArray &piece : pieces)
            got += replay.receive(piece) + '|';
        QCOMPARE(got, answers);
        QCOMPARE(replay.mismatched(), mismatched);
    }
};

VANDREL_TEST(TranscriptTest)

#include "tst_transcript.moc"
