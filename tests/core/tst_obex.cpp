#include "common/testmain.h"
#include "tst_obex_fixtures.h"
#include "tst_codec_feed.h"

#include <core/obex/packets.h>
#include <core/obex/replies.h>
#include <core/text/format.h>

#include <QTest>

using namespace vandrel::obex;
using namespace feedtest;

namespace {
using obextest::hex;
using obextest::u16;

QByteArray fill(qsizetype n)
{
    QByteArray b(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        b[i] = char(i * 7 + 3);
    return b;
}

const QByteArray kUuid = hex("6B01CB31410611D49A770050DA3F471F");
const QDateTime kNow(QDate(2005, 3, 7), QTime(9, 5, 1));
} // namespace

class ObexPacketTest : public QObject {
    Q_OBJECT
private slots:
    void fixedRequests_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("connect, 26 bytes") << connectRequest() << hex("80001A1000400646 0013") + kUuid;
        QTest::newRow("folder listing, 33 bytes")
            << folderListingRequest() << hex("830021CB024E804C420019") + QByteArray("x-obex/folder-listing") + hex("00");
        QTest::newRow("continuation") << listingContinuationRequest() << hex("830008CB024E804C");
        QTest::newRow("folder up") << folderUpRequest() << hex("85000A0300CB024E804C");
        QTest::newRow("mmc query 1") << memoryQuery(MemoryRoot::Mmc, 1)
                                     << hex("830019CB024E804C4C0011320C010A") + u16("\\mmc") + hex("0000");
        QTest::newRow("mmc query 2") << memoryQuery(MemoryRoot::Mmc, 2)
                                     << hex("830019CB024E804C4C0011320C020A") + u16("\\mmc") + hex("0000");
        QTest::newRow("user query 1") << memoryQuery(MemoryRoot::User, 1)
                                      << hex("83001BCB024E804C4C0013320E010C") + u16("\\user") + hex("0000");
        QTest::newRow("user query 2") << memoryQuery(MemoryRoot::User, 2)
                                      << hex("83001BCB024E804C4C0013320E020C") + u16("\\user") + hex("0000");
    }
    void fixedRequests()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built.toHex(' '), expected.toHex(' '));
    }

    void sizes()
    {
        QCOMPARE(connectRequest().size(), 26);
        QCOMPARE(folderListingRequest().size(), 33);
        QCOMPARE(memoryQuery(MemoryRoot::Mmc, 1).size(), 25);
        QCOMPARE(memoryQuery(MemoryRoot::User, 2).size(), 27);
    }

    void namedRequests_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("enter mmc") << *enterFolderRequest(u"mmc")
                                   << hex("85001502 00CB024E804C01000B006D006D00630000");
        QTest::newRow("enter photos") << *enterFolderRequest(u"photos")
                                      << hex("85001B0200CB024E804C010011") + u16("photos") + hex("0000");
        QTest::newRow("create new") << *createFolderRequest(u"new")
                                    << hex("8500150000CB024E804C01000B") + u16("new") + hex("0000");
        QTest::newRow("get a.txt") << *getFileRequest(u"a.txt")
                                   << hex("830017CB024E804C01000F") + u16("a.txt") + hex("0000");
        QTest::newRow("delete a.txt") << *deleteRequest(u"a.txt")
                                      << hex("820017CB024E804C01000F") + u16("a.txt") + hex("0000");
        QTest::newRow("czech name as UTF-16") << *getFileRequest(u"čaj")
                                              << hex("830013CB024E804C01000B010D0061006A0000");
        QTest::newRow("set attributes") << *setAttributesRequest(u"a.txt")
                                        << hex("82002ECB024E804C010019") + u16("~a.txt.tmp")
                + hex("0000 4C000D 3808 22525744222252 22");
        QTest::newRow("rename in mmc/photos")
            << *moveRequest({QStringLiteral("mmc"), QStringLiteral("photos")}, u"a.jpg", u"b.jpg")
            << hex("820059CB024E804C4C0051 3404") + QByteArray("move") + hex("3522") + u16("/mmc/photos/a.jpg") + hex("3622")
                + u16("/mmc/photos/b.jpg");
        QTest::newRow("finish upload at the root")
            << *finishUploadRequest({}, u"a.txt")
            << hex("820037CB024E804C4C002F 3404") + QByteArray("move") + hex("3516") + u16("/~a.txt.tmp") + hex("360C")
                + u16("/a.txt");
    }
    void namedRequests()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built.toHex(' '), expected.toHex(' '));
        const auto parsed = parsePacket(built, quint8(built[0]) == 0x85 ? 2 : 0);
        QVERIFY2(parsed.ok(), qPrintable(parsed.error()));
        QCOMPARE(parsed->connectionId(), std::optional<quint32>(kConnectionId));
    }

    void moveLengthsFollowTheirFormulas()
    {
        // rename: 4P + 2(old) + 2(new) + 21; after an upload: 4P + 4L + 15
        const QStringList folder{QStringLiteral("user"), QStringLiteral("Moje")};
        const int p = 11;  // "/user/Moje/"
        QCOMPARE(moveRequest(folder, u"old.txt", u"newer.txt")->size(), 4 * p + 2 * 7 + 2 * 9 + 21);
        QCOMPARE(finishUploadRequest(folder, u"song.mp3")->size(), 4 * p + 4 * 12 + 15);
    }

    void uploads_data()
    {
        QTest::addColumn<int>("fileSize");
        QTest::addColumn<QList<QByteArray>>("packets");
        const QByteArray head = hex("CB024E804C010019") + u16("~a.txt.tmp") + hex("0000");
        const QByteArray time = hex("440012") + QByteArray("20050307T090501");
        const QByteArray data = fill(4097);
        QTest::newRow("empty file") << 0 << QList<QByteArray>{hex("82003B") + head + hex("C300000000") + time + hex("490003")};
        QTest::newRow("4096 bytes in one final packet")
            << 4096 << QList<QByteArray>{hex("82103B") + head + hex("C300001000") + time + hex("491003") + data.first(4096)};
        QTest::newRow("4097 bytes in two packets")
            << 4097
            << QList<QByteArray>{hex("02103B") + head + hex("C300001001") + time + hex("481003") + data.first(4096),
                                 hex("82000CCB024E804C490004") + data.sliced(4096, 1)};
        QTest::newRow("9000 bytes in three packets")
            << 9000
            << QList<QByteArray>{hex("02103B") + head + hex("C300002328") + time + hex("481003") + fill(9000).first(4096),
                                 hex("02100BCB024E804C481003") + fill(9000).sliced(4096, 4096),
                                 hex("820333CB024E804C49032B") + fill(9000).sliced(8192)};
    }
    void uploads()
    {
        QFETCH(int, fileSize);
        QFETCH(QList<QByteArray>, packets);
        const QByteArray file = fill(fileSize);
        QList<QByteArray> built;
        qsizetype at = qMin<qsizetype>(kMaxUploadChunk, file.size());
        built.append(*firstUploadPacket(u"a.txt", quint32(file.size()), kNow, file.first(at), at == file.size()));
        while (at < file.size()) {
            const qsizetype n = qMin<qsizetype>(kMaxUploadChunk, file.size() - at);
            built.append(*nextUploadPacket(file.sliced(at, n), at + n == file.size()));
            at += n;
        }
        QCOMPARE(built.size(), packets.size());
        for (qsizetype i = 0; i < built.size(); ++i) {
            QCOMPARE(built[i].toHex(' '), packets[i].toHex(' '));
            QVERIFY(parsePacket(built[i]).ok());
        }
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("121 characters") << QString(121, QLatin1Char('x'));
        QTest::newRow("slash") << QStringLiteral("a/b");
        QTest::newRow("backslash") << QStringLiteral("a\\b");
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0);
    }
    void refusals()
    {
        QFETCH(QString, name);
        for (const auto &built : {enterFolderRequest(name), createFolderRequest(name), getFileRequest(name),
                                  deleteRequest(name), setAttributesRequest(name),
                                  moveRequest({}, name, u"x"), moveRequest({}, u"x", name),
                                  moveRequest({name}, u"x", u"y"),
                                  firstUploadPacket(name, 1, kNow, "x", true)}) {
            QVERIFY(!built.ok());
            QVERIFY(!built.error().isEmpty());
        }
    }

    void longestNamesFit()
    {
        const QString name(120, QLatin1Char('n'));
        const auto enter = enterFolderRequest(name);
        QVERIFY(enter.ok());
        QCOMPARE(enter->size(), 2 * 120 + 15);
        QCOMPARE(quint8(enter->at(2)), quint8(255));
        // "~" + name + ".tmp" must fit as well.
        QVERIFY(firstUploadPacket(QString(115, QLatin1Char('n')), 1, kNow, "x", true).ok());
        QVERIFY(!firstUploadPacket(QString(116, QLatin1Char('n')), 1, kNow, "x", true).ok());
        QVERIFY(!nextUploadPacket(fill(4097), true).ok());
        QVERIFY(!firstUploadPacket(u"a", 5000, kNow, fill(4097), false).ok());
        // The Length header and the data must agree.
        QVERIFY(!firstUploadPacket(u"a", 5000, kNow, fill(100), true).ok());
        QVERIFY(!firstUploadPacket(u"a", 100, kNow, fill(100), false).ok());
        QVERIFY(firstUploadPacket(u"a", 101, kNow, fill(100), false).ok());
        // A move path sits behind a one-byte length: 127 characters at most.
        const QStringList deep{QString(100, QLatin1Char('d'))};
        QVERIFY(moveRequest(deep, QString(25, QLatin1Char('a')), u"b").ok());
        QVERIFY(!moveRequest(deep, QString(26, QLatin1Char('a')), u"b").ok());
    }
};

class ObexReplyTest : public QObject {
    Q_OBJECT
private slots:
    void classify_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("explorer");  // ReplyKind for the explorer
        QTest::addColumn<int>("transfer");  // ReplyKind for the transfer window
        const int other = int(ReplyKind::Other);
        const char *ids[] = {"024E804C", "024C511C", "024C510C"};
        for (const char *id : ids) {
            QTest::addRow("connect %s", id) << hex("A0001F100010AACB") + hex(id) + hex("4A0013") + kUuid
                                            << int(ReplyKind::ConnectAccepted) << int(ReplyKind::ConnectAccepted);
            QTest::addRow("success %s", id) << hex("A00008CB") + hex(id) << int(ReplyKind::Success) << int(ReplyKind::Success);
            QTest::addRow("continue %s", id) << hex("900008CB") + hex(id) << int(ReplyKind::Continue) << int(ReplyKind::Continue);
            QTest::addRow("end %s", id) << hex("A0000BCB") + hex(id) + hex("490003") << int(ReplyKind::TransferEnd)
                                        << int(ReplyKind::TransferEnd);
            QTest::addRow("forbidden %s", id) << hex("C30008CB") + hex(id) << int(ReplyKind::Forbidden) << int(ReplyKind::Forbidden);
            QTest::addRow("not found %s", id) << hex("C40008CB") + hex(id) << int(ReplyKind::NotFound) << int(ReplyKind::NotFound);
        }
        // The fourth id only counts outside the transfer window.
        QTest::newRow("connect 02462A9F") << hex("A0001F100010AACB02462A9F4A0013") + kUuid << int(ReplyKind::ConnectAccepted) << other;
        QTest::newRow("success 02462A9F") << hex("A00008CB02462A9F") << int(ReplyKind::Success) << other;
        QTest::newRow("continue 02462A9F") << hex("900008CB02462A9F") << int(ReplyKind::Continue) << other;
        QTest::newRow("unknown id") << hex("A00008CB01020304") << other << other;
        QTest::newRow("connect, other service") << hex("A0001F100010AACB024E804C4A0013") + QByteArray(16, '\x11') << other << other;
        QTest::newRow("connect, version 2") << hex("A0001F200010AACB024E804C4A0013") + kUuid << other << other;
        QTest::newRow("bare forbidden") << hex("C30003") << int(ReplyKind::Forbidden) << int(ReplyKind::Forbidden);
        QTest::newRow("bare not found") << hex("C40003") << int(ReplyKind::NotFound) << int(ReplyKind::NotFound);
        QTest::newRow("success without id") << hex("A00003") << other << other;
        QTest::newRow("memory size") << hex("A00011CB024E804C4C000932040010 0000") << int(ReplyKind::MemorySize)
                                     << int(ReplyKind::MemorySize);
        QTest::newRow("17-byte final listing piece") << hex("A00011CB024E804C490009") + QByteArray("ing>\0\0", 6) << other << other;
        QTest::newRow("listing data") << hex("900010CB024E804C480008") + QByteArray("<fold") << other << other;
        QTest::newRow("length disagrees") << hex("A00009CB024E804C") << other << other;
        QTest::newRow("bad request") << hex("C00003") << other << other;
        QTest::newRow("empty") << QByteArray() << other << other;
    }
    void classify()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, explorer);
        QFETCH(int, transfer);
        QCOMPARE(int(classifyReply(reply, Acceptance::Explorer).kind), explorer);
        QCOMPARE(int(classifyReply(reply, Acceptance::Transfer).kind), transfer);
    }

    void memorySizeValue()
    {
        const Reply r = classifyReply(hex("A00011CB024E804C4C00093204 00100000"), Acceptance::Explorer);
        QCOMPARE(r.kind, ReplyKind::MemorySize);
        QCOMPARE(r.memorySize, quint32(1048576));
        QCOMPARE(vandrel::text::groupSize(r.memorySize / 1024), QStringLiteral("1 024"));
    }

    void connectDetails()
    {
        const Reply r = classifyReply(hex("A0001F100010AACB024C510C4A0013") + kUuid, Acceptance::Explorer);
        QCOMPARE(r.kind, ReplyKind::ConnectAccepted);
        QCOMPARE(r.maxPacketLength, quint16(0x10AA));
        // Whatever id the phone answered with, requests keep carrying ours.
        QCOMPARE(listingContinuationRequest().mid(4, 4), hex("024E804C"));
    }

    void parseHeaders()
    {
        // Connection-Id, Length, Body "ABC", End-of-Body "D", a one-byte header 0x97.
        const auto r = parsePacket(hex("A00019CB024E804CC300000010480006414243490004449705"));
        QVERIFY2(r.ok(), qPrintable(r.error()));
        QCOMPARE(r->headers.size(), 5);
        QCOMPARE(r->find(0x97)->value, hex("05"));
        QCOMPARE(r->find(0xC3)->value, hex("00000010"));
        QCOMPARE(r->body(), QByteArray("ABCD"));
        QVERIFY(r->hasEndOfBody());
    }

    void parseRefuses_data()
    {
        QTest::addColumn<QByteArray>("packet");
        QTest::newRow("two bytes") << hex("A000");
        QTest::newRow("length field longer than the packet") << hex("A00009CB024E804C");
        QTest::newRow("length field shorter than the packet") << hex("A00007CB024E804C");
        QTest::newRow("header length below 3") << hex("A00006480001");
        QTest::newRow("header past the end") << hex("A00006480009");
        QTest::newRow("four-byte header cut") << hex("A00005CB02");
        QTest::newRow("two-byte length cut") << hex("A0000448");
    }
    void parseRefuses()
    {
        QFETCH(QByteArray, packet);
        QVERIFY(!parsePacket(packet).ok());
    }

    void framing_data()
    {
        QTest::addColumn<QList<QByteArray>>("packets");
        QTest::newRow("connect") << QList<QByteArray>{hex("A0001F100010AACB024E804C4A0013") + kUuid};
        QTest::newRow("walk replies") << QList<QByteArray>{hex("A00008CB024E804C"), hex("A00008CB024C511C"),
                                                           hex("A00011CB024E804C4C000932040010 0000")};
        QByteArray big = hex("90100BCB024E804C481003") + fill(4096);
        QTest::newRow("listing packets") << QList<QByteArray>{big, hex("A0000ECB024E804C490006") + QByteArray("ng>")};
    }
    void framing()
    {
        QFETCH(QList<QByteArray>, packets);
        QByteArray stream;
        for (const QByteArray &p : packets)
            stream += p;
        const QByteArray trailing = hex("A00008CB02");  // the start of the next reply
        for (const Split split : allSplits()) {
            const Fed fed = feed(obexPacketLength, stream, split, trailing);
            QVERIFY2(fed.items == packets, splitName(split));
            QCOMPARE(fed.pending, split == Split::Trailing ? trailing : QByteArray());
        }
        for (quint32 seed = 1; seed <= 20; ++seed)
            QCOMPARE(feedRandomly(obexPacketLength, stream, seed).items, packets);
    }

    void framer_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<int>("length");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("length cut") << hex("A000") << 0;
        QTest::newRow("incomplete") << hex("A00008CB024E80") << 0;
        QTest::newRow("complete") << hex("A00008CB024E804C") << 8;
        QTest::newRow("more behind") << hex("A00003A000") << 3;
        QTest::newRow("length 0 is taken as 3") << hex("A00000") << 3;
    }
    void framer()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(int, length);
        QCOMPARE(obexPacketLength(buffer), qsizetype(length));
    }

    // The modem port in OBEX mode: packets by their length, or text lines of a phone back in
    // command mode; line ends before either belong to it.
    void replyFramer_data()
    {
        QTest::addColumn<QByteArray>("buffer");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("packet") << hex("A00008CB024E804CA0") << 8 << hex("A00008CB024E804C");
        QTest::newRow("line ends before a packet") << QByteArray("\r\n") + hex("C30003") << 5 << hex("C30003");
        QTest::newRow("packet cut") << QByteArray("\r\n") + hex("A00008CB") << 0 << QByteArray();
        QTest::newRow("ERROR line") << QByteArray("\r\nERROR\r\nrest") << 9 << QByteArray("ERROR\r\n");
        QTest::newRow("line cut") << QByteArray("ERR") << 0 << QByteArray();
        QTest::newRow("line ends only") << QByteArray("\r\n\r") << 0 << QByteArray();
    }
    void replyFramer()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(int, length);
        QFETCH(QByteArray, content);
        QCOMPARE(replyLength(buffer), qsizetype(length));
        QCOMPARE(replyContent(buffer.first(length)).toByteArray(), content);
    }

    void randomInputNeverBreaksTheParsers()
    {
        QRandomGenerator rng(4242);
        for (int round = 0; round < 2000; ++round) {
            QByteArray junk = randomBytes(rng, rng.bounded(64));
            if (junk.size() >= 3 && round % 2) {
                junk[1] = char(junk.size() >> 8);
                junk[2] = char(junk.size());
            }
            (void)parsePacket(junk);
            (void)parsePacket(junk, 4);
            (void)parsePacket(junk, 2);
            (void)classifyReply(junk, Acceptance::Explorer);
            for (const QByteArray &p : frameAll(junk, obexPacketLength).items)
                (void)classifyReply(p, Acceptance::Transfer);
        }
    }
};

VANDREL_TEST(ObexPacketTest)
VANDREL_TEST(ObexReplyTest)
#include "tst_obex.moc"
