#include "common/testmain.h"
#include "tst_codec_feed.h"

#include <core/diag/crc.h>
#include <core/diag/frame.h>

#include <QTest>

using namespace vandrel::diag;
using namespace feedtest;

namespace {
QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

// Bit by bit, independent of the table.
quint16 slowCrc(const QByteArray &data)
{
    quint16 crc = 0xFFFF;
    for (const char b : data) {
        crc ^= quint8(b);
        for (int i = 0; i < 8; ++i)
            crc = (crc & 1) ? quint16((crc >> 1) ^ 0x8408) : quint16(crc >> 1);
    }
    return quint16(~crc);
}
} // namespace

class DiagCrcTest : public QObject {
    Q_OBJECT
private slots:
    void checkValues_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("crc");
        QTest::newRow("123456789") << QByteArray("123456789") << 0x906E;
        QTest::newRow("mode change 29 02 00") << hex("290200") << 0x6A59;
        QTest::newRow("empty") << QByteArray() << 0x0000;
        QTest::newRow("low byte 7E") << hex("290052") << 0x287E;
        QTest::newRow("high byte 7D") << hex("5925") << 0x7D07;
    }
    void checkValues()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, crc);
        QCOMPARE(int(crc16x25(data)), crc);
        QCOMPARE(int(slowCrc(data)), crc);
    }

    void tableIsTheReflectedPolynomial()
    {
        const auto &table = crcTable();
        QCOMPARE(table[0], quint16(0x0000));
        QCOMPARE(table[1], quint16(0x1189));
        QCOMPARE(table[128], quint16(0x8408));
        QCOMPARE(table[255], quint16(0x0F78));
        QRandomGenerator rng(7);
        for (int i = 0; i < 200; ++i) {
            const QByteArray data = randomBytes(rng, rng.bounded(300));
            QCOMPARE(crc16x25(data), slowCrc(data));
        }
    }
};

class DiagFrameTest : public QObject {
    Q_OBJECT
private slots:
    void encode_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("mode change") << hex("290200") << hex("290200596A7E");
        QTest::newRow("escapes in payload") << hex("7D7E") << hex("7D5D7D5E02D57E");
        QTest::newRow("check value low byte 7E") << hex("290052") << hex("2900527D5E287E");
        QTest::newRow("check value high byte 7D") << hex("5925") << hex("5925077D5D7E");
        // The third byte 7E is carried by escaping, never rewritten to 7F.
        QTest::newRow("listing sequence 126") << hex("590A7E00") << hex("590A7D5E0005C97E");
        QTest::newRow("read keeps its bytes") << hex("590400") << hex("59040051BE7E");
    }
    void encode()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, frame);
        QCOMPARE(encodeDiagFrame(payload), frame);
        const auto decoded = decodeDiagFrame(frame);
        QVERIFY2(decoded.ok(), qPrintable(decoded.error()));
        QCOMPARE(decoded->payload, payload);
        QVERIFY(decoded->checkValid);
    }

    void unescape_data()
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        QTest::newRow("both escapes") << hex("59017D5D7D5E12347E") << hex("59017D7E12347E");
        QTest::newRow("other byte after 7D stays") << hex("7D41") << hex("7D41");
        QTest::newRow("7D at the end stays") << hex("01027D") << hex("01027D");
        QTest::newRow("produced 7D is not examined again") << hex("7D5D5E") << hex("7D5E");
        QTest::newRow("nothing to do") << hex("5901007E") << hex("5901007E");
        QByteArray big = hex("5904010000007D5D") + QByteArray(255, '\x11') + hex("AABB7E");
        QCOMPARE(big.size(), 266);
        QTest::newRow("266 bytes are unescaped too") << big << hex("5904010000007D") + QByteArray(255, '\x11') + hex("AABB7E");
    }
    void unescape()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        QCOMPARE(UnescapeDiagFrame(in), out);
    }

    void decodeRefuses_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("flag only") << hex("7E");
        QTest::newRow("no flag") << hex("290200596A");
        QTest::newRow("one byte and flag") << hex("297E");
        QTest::newRow("escape cut off") << hex("2902007D7E");
        QTest::newRow("flag inside") << hex("29027E00596A7E");
    }
    void decodeRefuses()
    {
        QFETCH(QByteArray, frame);
        const auto d = decodeDiagFrame(frame);
        QVERIFY(!d.ok());
        QVERIFY(!d.error().isEmpty());
    }

    void wrongCheckValueIsReported()
    {
        const auto d = decodeDiagFrame(hex("290200596B7E"));
        QVERIFY(d.ok());
        QCOMPARE(d->payload, hex("290200"));
        QVERIFY(!d->checkValid);
    }

    void framing_data()
    {
        QTest::addColumn<QList<QByteArray>>("payloads");
        QTest::newRow("one") << QList<QByteArray>{hex("290200")};
        QTest::newRow("three with escapes") << QList<QByteArray>{hex("590A7E00"), hex("7D7E7D7E"), hex("5925")};
        QByteArray block = hex("5904010000007E7D") + QByteArray(256, '\x7E');
        QTest::newRow("a full read block of escapes") << QList<QByteArray>{block, hex("590B1C")};
    }
    void framing()
    {
        QFETCH(QList<QByteArray>, payloads);
        QByteArray stream;
        QList<QByteArray> frames;
        for (const QByteArray &p : payloads) {
            frames.append(encodeDiagFrame(p));
            stream += frames.last();
        }
        const QByteArray trailing = hex("59017D5D00");  // an unfinished frame
        for (const Split split : allSplits()) {
            const Fed fed = feed(diagFrameLength, stream, split, trailing);
            QVERIFY2(fed.items == frames, splitName(split));
            QCOMPARE(fed.pending, split == Split::Trailing ? trailing : QByteArray());
            for (qsizetype i = 0; i < frames.size(); ++i)
                QCOMPARE(decodeDiagFrame(fed.items[i])->payload, payloads[i]);
        }
        for (quint32 seed = 1; seed <= 20; ++seed)
            QCOMPARE(feedRandomly(diagFrameLength, stream, seed).items, frames);
    }

    // Idle and opening flags come out as frames of one byte, which the sessions pass over.
    void idleFlagsAreFramesOfTheirOwn()
    {
        const Fed fed = frameAll(hex("7E7E290200596A7E7E"), diagFrameLength);
        QCOMPARE(fed.items, (QList<QByteArray>{hex("7E"), hex("7E"), hex("290200596A7E"), hex("7E")}));
        QVERIFY(fed.pending.isEmpty());
    }

    void framerWaitsForTheFlag()
    {
        QCOMPARE(diagFrameLength(QByteArray()), qsizetype(0));
        QCOMPARE(diagFrameLength(hex("290200596A")), qsizetype(0));
        QCOMPARE(diagFrameLength(hex("290200596A7E29")), qsizetype(6));
    }

    void randomInputNeverBreaksTheDecoder()
    {
        QRandomGenerator rng(20261208);
        for (int round = 0; round < 500; ++round) {
            QByteArray junk = randomBytes(rng, rng.bounded(400));
            if (round % 3 == 0)
                junk.replace('\x7E', '\x7D');  // long escape-heavy frames
            for (const QByteArray &f : frameAll(junk, diagFrameLength).items)
                (void)decodeDiagFrame(f);
            (void)decodeDiagFrame(junk);
            (void)UnescapeDiagFrame(junk);
            const QByteArray payload = randomBytes(rng, rng.bounded(300));
            const QByteArray frame = encodeDiagFrame(payload);
            QCOMPARE(frame.count('\x7E'), 1);
            QCOMPARE(decodeDiagFrame(frame)->payload, payload);
            const auto truncated = decodeDiagFrame(frame.first(rng.bounded(frame.size())));
            QVERIFY(!truncated.ok());
        }
    }
};

VANDREL_TEST(DiagCrcTest)
VANDREL_TEST(DiagFrameTest)
#include "tst_diag.moc"
