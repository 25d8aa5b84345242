#include "common/testmain.h"
#include "tst_brew_fixtures.h"
#include "tst_codec_feed.h"

#include <core/brew/replies.h>
#include <core/brew/requests.h>
#include <core/brew/transfer.h>
#include <core/diag/frame.h>

#include <QTest>

using namespace vandrel::brew;
using namespace feedtest;
using brewfixture::entryReply;

namespace {
QByteArray hex(const char *h) { return QByteArray::fromHex(h); }

QByteArray fill(qsizetype n)
{
    QByteArray b(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        b[i] = char(i * 13 + 1);
    return b;
}


// The phone's replies as diagnostic frames, one after another.
QByteArray framed(const QList<QByteArray> &payloads)
{
    QByteArray stream;
    for (const QByteArray &p : payloads)
        stream += vandrel::diag::encodeDiagFrame(p);
    return stream;
}

QList<QByteArray> payloadsOf(const QList<QByteArray> &frames)
{
    QList<QByteArray> out;
    for (const QByteArray &f : frames)
        out.append(vandrel::diag::decodeDiagFrame(f)->payload);
    return out;
}
} // namespace

class BrewRequestTest : public QObject {
    Q_OBJECT
private slots:
    void requests_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("list the root") << *listFoldersRequest(u"", 0) << hex("590A00000000022F00");
        QTest::newRow("list brew/mod/") << *listFoldersRequest(u"brew/mod/", 0) << hex("590A0000000009") + "brew/mod" + hex("00");
        QTest::newRow("list without trailing slash") << *listFoldersRequest(u"brew/mod", 0)
                                                     << hex("590A0000000009") + "brew/mod" + hex("00");
        QTest::newRow("list from sequence 1") << *listFoldersRequest(u"brew/", 1) << hex("590A0100000005") + "brew" + hex("00");
        QTest::newRow("sequence 126 stays 126") << *listFoldersRequest(u"", 126) << hex("590A7E000000022F00");
        QTest::newRow("sequence 256 in two bytes") << *listFoldersRequest(u"", 256) << hex("590A00010000022F00");
        QTest::newRow("sequence 65535") << *listFoldersRequest(u"", 65535) << hex("590AFFFF0000022F00");
        QTest::newRow("files of brew/mod/ as given") << *listFilesRequest(u"brew/mod/", 0)
                                                     << hex("590B000000000A") + "brew/mod/" + hex("00");
        QTest::newRow("files of the root") << *listFilesRequest(u"", 3) << hex("590B030000000100");
        QTest::newRow("read pbm_master_v_20.dat") << *readFirstRequest(u"pbm_master_v_20.dat")
                                                  << hex("59040014") + "pbm_master_v_20.dat" + hex("00");
        QTest::newRow("read next") << readNextRequest(0x7E) << hex("59047E");
        QTest::newRow("make folder") << *makeFolderRequest(u"brew/new") << hex("590009") + "brew/new" + hex("00");
        QTest::newRow("remove file") << *removeFileRequest(u"a.txt") << hex("590606") + "a.txt" + hex("00");
        QTest::newRow("remove folder") << *removeFolderRequest(u"brew/old") << hex("590109") + "brew/old" + hex("00");
        QTest::newRow("free space") << freeSpaceRequest() << hex("590C01");
        QTest::newRow("czech name in cp1250") << *removeFileRequest(u"žluť") << hex("5906059E6C759D00");
        QTest::newRow("write next, more") << *writeNextRequest(1, true, fill(256)) << hex("5905010100 01") + fill(256);
        QTest::newRow("write next, last") << *writeNextRequest(2, false, fill(44)) << hex("590502002C00") + fill(44);
    }
    void requests()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built.toHex(' '), expected.toHex(' '));
    }

    void nameFields_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("field");  // empty: refused
        QTest::newRow("empty") << QString() << hex("0100");
        QTest::newRow("brew/mod/") << QStringLiteral("brew/mod/") << hex("0A") + "brew/mod/" + hex("00");
        QTest::newRow("254 bytes") << QString(254, QLatin1Char('n')) << hex("FF") + QByteArray(254, 'n') + hex("00");
        QTest::newRow("255 bytes") << QString(255, QLatin1Char('n')) << QByteArray();
        QTest::newRow("not in cp1250") << QStringLiteral("中文") << QByteArray();
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << QByteArray();
    }
    void nameFields()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, field);
        const auto built = nameField(name);
        QCOMPARE(built.ok(), !field.isEmpty());
        if (built)
            QCOMPARE(*built, field);
        else
            QVERIFY(!built.error().isEmpty());
        QCOMPARE(readFirstRequest(name).ok(), !field.isEmpty());
        QCOMPARE(makeFolderRequest(name).ok(), !field.isEmpty());
    }

    void oversizedBlocksAreRefused()
    {
        QVERIFY(!writeNextRequest(1, true, fill(257)).ok());
        QVERIFY(!writeFirstRequest(u"a", 300, fill(257)).ok());
        QVERIFY(!writeFirstRequest(u"中", 1, fill(1)).ok());
    }
};

class BrewWriterTest : public QObject {
    Q_OBJECT
private slots:
    void blocks_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<QByteArray>>("payloads");
        const QByteArray name = hex("000B") + "brew/a.bin" + hex("00");
        const QByteArray d = fill(600);
        QTest::newRow("empty file ends with the first acceptance")
            << 0 << QList<QByteArray>{hex("5905000001 00000000 FF0001") + name + hex("0000")};
        QTest::newRow("100 bytes and a block without data")
            << 100 << QList<QByteArray>{hex("5905000001 64000000 FF0001") + name + hex("6400") + d.first(100), hex("590501000000")};
        QTest::newRow("256 bytes and a block without data")
            << 256 << QList<QByteArray>{hex("5905000101 00010000 FF0001") + name + hex("0001") + d.first(256), hex("590501000000")};
        QTest::newRow("300 bytes")
            << 300 << QList<QByteArray>{hex("5905000101 2C010000 FF0001") + name + hex("0001") + d.first(256),
                                        hex("590501002C00") + d.sliced(256, 44)};
        QTest::newRow("512 bytes")
            << 512 << QList<QByteArray>{hex("5905000101 00020000 FF0001") + name + hex("0001") + d.first(256),
                                        hex("5905010100 01") + d.sliced(256, 256)};
        QTest::newRow("600 bytes")
            << 600 << QList<QByteArray>{hex("5905000101 58020000 FF0001") + name + hex("0001") + d.first(256),
                                        hex("5905010100 01") + d.sliced(256, 256), hex("590502005800") + d.sliced(512, 88)};
    }
    void blocks()
    {
        QFETCH(int, size);
        QFETCH(QList<QByteArray>, payloads);
        // The acceptances arrive as frames, split the three ways.
        const QByteArray ack = vandrel::diag::encodeDiagFrame(hex("590500"));
        for (const Split split : allSplits()) {
            BrewWriter w;
            QList<QByteArray> out{*w.start(u"brew/a.bin", fill(600).first(size))};
            for (int round = 0; round < 10; ++round) {
                const Fed fed = feed(vandrel::diag::diagFrameLength, ack, split, hex("5905"));
                QCOMPARE(fed.items.size(), 1);
                const auto next = w.onReply(vandrel::diag::decodeDiagFrame(fed.items.first())->payload);
                if (next.step == Step::Done)
                    break;
                QCOMPARE(next.step, Step::Send);
                out.append(next.payload);
            }
            QCOMPARE(out, payloads);
            QCOMPARE(w.progress(), qsizetype(size));
        }
    }

    void refusalsAndNoise()
    {
        BrewWriter w;
        QVERIFY(w.start(u"a", fill(700)).ok());
        QCOMPARE(w.onReply(hex("590400")).step, Step::Ignored);
        QCOMPARE(w.onReply(hex("590508")).step, Step::Refused);  // no room
        QCOMPARE(w.onReply(hex("590500")).step, Step::Send);
        QCOMPARE(w.onReply(hex("1405")).step, Step::Refused);
        QCOMPARE(w.onReply(hex("1505")).step, Step::Refused);
        QVERIFY(!BrewWriter().start(u"中", fill(1)).ok());
    }

    void sequenceWraps()
    {
        QCOMPARE(nextBlockSeq(0), quint8(1));
        QCOMPARE(nextBlockSeq(1), quint8(2));
        QCOMPARE(nextBlockSeq(254), quint8(255));
        QCOMPARE(nextBlockSeq(255), quint8(1));
        BrewWriter w;
        QVERIFY(w.start(u"big", fill(257 * 256)).ok());
        QByteArray last;
        for (int i = 0; i < 256; ++i)
            last = w.onReply(hex("590500")).payload;
        QCOMPARE(quint8(last[2]), quint8(1));  // the 256th further block: 255, then 1 again
    }
};

class BrewReplyTest : public QObject {
    Q_OBJECT
private slots:
    void listingEntries_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("isFolder");
        QTest::addColumn<int>("seq");
        QTest::addColumn<quint32>("size");
        QTest::addColumn<QString>("name");
        QTest::newRow("folder brew/mod/game") << entryReply(0x0A, 5, 0, "brew/mod/game") << true << 5 << quint32(0) << QStringLiteral("game");
        QTest::newRow("file with NUL") << entryReply(0x0B, 0x7E, 1234, QByteArray("brew/x.mod\0", 11)) << false << 0x7E
                                       << quint32(1234) << QStringLiteral("x.mod");
        QTest::newRow("root file") << entryReply(0x0B, 0, 0xFFFFFFFF, "pbm_master_v_20.dat") << false << 0 << quint32(0xFFFFFFFF)
                                   << QStringLiteral("pbm_master_v_20.dat");
        QTest::newRow("UTF-8 name") << entryReply(0x0B, 1, 3, "brew/\xC5\xBElu\xC5\xA5") << false << 1 << quint32(3) << QStringLiteral("žluť");
        QTest::newRow("cp1250 name") << entryReply(0x0B, 1, 3, "brew/\x9Elu\x9D") << false << 1 << quint32(3) << QStringLiteral("žluť");
        QTest::newRow("125 characters with 7E bytes")
            << entryReply(0x0A, 2, 0, "a/" + QByteArray(125, 'x')) << true << 2 << quint32(0) << QString(125, QLatin1Char('x'));
    }
    void listingEntries()
    {
        QFETCH(QByteArray, payload);
        QFETCH(bool, isFolder);
        QFETCH(int, seq);
        QFETCH(quint32, size);
        QFETCH(QString, name);
        // From the wire: framed, split the three ways, the end of the listing behind it.
        const QByteArray stream = framed({payload, hex("590B1C")});
        for (const Split split : allSplits()) {
            const Fed fed = feed(vandrel::diag::diagFrameLength, stream, split, hex("590B"));
            const QList<QByteArray> payloads = payloadsOf(fed.items);
            QCOMPARE(payloads.size(), 2);
            QCOMPARE(classifyListingReply(payloads[0]), ListingReply::Entry);
            QCOMPARE(classifyListingReply(payloads[1]), ListingReply::FilesEnd);
            const auto e = parseListingEntry(payloads[0]);
            QVERIFY2(e.ok(), qPrintable(e.error()));
            QCOMPARE(e->isFolder, isFolder);
            QCOMPARE(int(e->seqLow), seq);
            QCOMPARE(e->size, size);
            QCOMPARE(e->name, name);
            QCOMPARE(fed.pending, split == Split::Trailing ? hex("590B") : QByteArray());
        }
    }

    void listingEnds_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("kind");
        QTest::newRow("folders end") << hex("590A1C") << int(ListingReply::FoldersEnd);
        QTest::newRow("files end") << hex("590B1C") << int(ListingReply::FilesEnd);
        QTest::newRow("folder not found") << hex("590A08") << int(ListingReply::NotFound);
        QTest::newRow("mode change") << hex("290100") << int(ListingReply::Other);
        QTest::newRow("one byte") << hex("59") << int(ListingReply::Other);
    }
    void listingEnds()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, kind);
        QCOMPARE(int(classifyListingReply(payload)), kind);
    }

    void malformedEntries_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::newRow("24 bytes") << entryReply(0x0A, 0, 0, {}).first(24);
        QTest::newRow("name past the end") << entryReply(0x0A, 0, 0, "abc").first(27);
        QTest::newRow("empty name") << entryReply(0x0A, 0, 0, {});
        QTest::newRow("name ends in a slash") << entryReply(0x0A, 0, 0, "brew/");
        QTest::newRow("not a listing") << entryReply(0x04, 0, 0, "abc");
    }
    void malformedEntries()
    {
        QFETCH(QByteArray, payload);
        const auto e = parseListingEntry(payload);
        QVERIFY(!e.ok());
        QVERIFY(!e.error().isEmpty());
    }

    void statuses()
    {
        QCOMPARE(parseMakeFolder(hex("590000")), std::optional(Status::Done));
        QCOMPARE(parseMakeFolder(hex("590007")), std::optional(Status::NotDone));
        QCOMPARE(parseMakeFolder(hex("590003")), std::optional(Status::Other));
        QCOMPARE(parseMakeFolder(hex("590600")), std::nullopt);
        QCOMPARE(parseMakeFolder(hex("5900")), std::nullopt);
        QCOMPARE(parseRemoveFile(hex("590600")), std::optional(Status::Done));
        QCOMPARE(parseRemoveFile(hex("590601")), std::optional(Status::NotDone));
        QCOMPARE(parseRemoveFolder(hex("590100")), std::optional(Status::Done));
        QCOMPARE(parseRemoveFolder(hex("590103")), std::optional(Status::NotDone));
        QCOMPARE(parseRemoveFolder(hex("590109")), std::optional(Status::NotDone));
        QCOMPARE(parseRemoveFolder(hex("590105")), std::optional(Status::Other));
        QCOMPARE(parseRemoveFolder(hex("590600")), std::nullopt);
        QCOMPARE(parseFreeSpace(hex("590C0100001000")), std::optional(quint32(1048576)));
        QCOMPARE(parseFreeSpace(hex("590C01FFFFFFFF")), std::optional(quint32(0xFFFFFFFF)));
        QCOMPARE(parseFreeSpace(hex("590C01000010")), std::nullopt);
        QVERIFY(isWriteAccepted(hex("590500")));
        QVERIFY(!isWriteAccepted(hex("590501")));
        QVERIFY(isWriteRefused(hex("1405")));
        QVERIFY(isWriteRefused(hex("1505")));
        QVERIFY(!isWriteRefused(hex("1305")));
        QVERIFY(isWriteRefused(hex("590508")));   // no room
        QVERIFY(!isWriteRefused(hex("59050000")));
        QVERIFY(isReadRefused(hex("1404")));
        QVERIFY(!isReadRefused(hex("1504")));
    }

    void errorReplies_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("code");  // 0: no error reply
        QTest::addColumn<int>("op");
        QTest::newRow("bad command") << hex("13590A") << 0x13 << 0x59;
        QTest::newRow("bad parameters") << hex("1404") << 0x14 << 0x04;
        QTest::newRow("bad length") << hex("150500") << 0x15 << 0x05;
        QTest::newRow("too short") << hex("14") << 0 << 0;
        QTest::newRow("no error") << hex("590500") << 0 << 0;
    }
    void errorReplies()
    {
        QFETCH(QByteArray, payload);
        QFETCH(int, code);
        QFETCH(int, op);
        const auto e = parseErrorReply(payload);
        QCOMPARE(e.has_value(), code != 0);
        if (e) {
            QCOMPARE(int(e->code), code);
            QCOMPARE(int(e->op), op);
        }
    }
};

class BrewReaderTest : public QObject {
    Q_OBJECT
private slots:
    void read_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::addColumn<QList<QByteArray>>("requests");  // after the first
        const QByteArray d = fill(600);
        QTest::newRow("empty file") << 0 << QList<QByteArray>{hex("5904000000 00000000 0000")} << QList<QByteArray>{};
        QTest::newRow("100 bytes") << 100 << QList<QByteArray>{hex("5904000000 64000000 6400") + d.first(100)}
                                   << QList<QByteArray>{};
        QTest::newRow("300 bytes") << 300
                                   << QList<QByteArray>{hex("5904000000 2C010000 0001") + d.first(256),
                                                        hex("59040100000000") + d.sliced(256, 44)}
                                   << QList<QByteArray>{hex("590401")};
        QTest::newRow("600 bytes with escapes in the data")
            << 600
            << QList<QByteArray>{hex("5904000000 58020000 0001") + d.first(256), hex("59040101000000") + d.sliced(256, 256),
                                 hex("59040201000000") + d.sliced(512, 88)}
            << QList<QByteArray>{hex("590401"), hex("590402")};
    }
    void read()
    {
        QFETCH(int, size);
        QFETCH(QList<QByteArray>, replies);
        QFETCH(QList<QByteArray>, requests);
        const QByteArray stream = framed(replies);
        for (const Split split : allSplits()) {
            const Fed fed = feed(vandrel::diag::diagFrameLength, stream, split, hex("5904"));
            BrewReader reader;
            QCOMPARE(*reader.start(u"brew/a.bin"), hex("5904000B") + "brew/a.bin" + hex("00"));
            QList<QByteArray> sent;
            const QList<QByteArray> payloads = payloadsOf(fed.items);
            for (qsizetype i = 0; i < payloads.size(); ++i) {
                const auto next = reader.onReply(payloads[i]);
                QCOMPARE(next.step, i + 1 == payloads.size() ? Step::Done : Step::Send);
                if (next.step == Step::Send)
                    sent.append(next.payload);
            }
            QCOMPARE(sent, requests);
            QCOMPARE(reader.data(), fill(600).first(size));
            QCOMPARE(reader.total(), qsizetype(size));
        }
    }

    void malformedBlocks_data()
    {
        QTest::addColumn<QList<QByteArray>>("replies");
        QTest::newRow("first block over 256 bytes") << QList<QByteArray>{hex("5904000000 00100000 0101") + fill(257)};
        QTest::newRow("first block shorter than its length") << QList<QByteArray>{hex("5904000000 00100000 1000") + fill(15)};
        QTest::newRow("first block longer than the file") << QList<QByteArray>{hex("5904000000 05000000 0600") + fill(6)};
        QTest::newRow("first block cut in its header") << QList<QByteArray>{hex("5904000000 0010")};
        QTest::newRow("next block over 256 bytes")
            << QList<QByteArray>{hex("5904000000 00100000 0001") + fill(256), hex("59040100000000") + fill(257)};
        QTest::newRow("next block past the end of the file")
            << QList<QByteArray>{hex("5904000000 2C010000 0001") + fill(256), hex("59040100000000") + fill(45)};
        QTest::newRow("next block without data")
            << QList<QByteArray>{hex("5904000000 00020000 0001") + fill(256), hex("59040100000000")};
        QTest::newRow("next block cut in its header")
            << QList<QByteArray>{hex("5904000000 00020000 0001") + fill(256), hex("590401")};
    }
    void malformedBlocks()
    {
        QFETCH(QList<QByteArray>, replies);
        BrewReader reader;
        QVERIFY(reader.start(u"x").ok());
        for (qsizetype i = 0; i + 1 < replies.size(); ++i)
            QCOMPARE(reader.onReply(replies[i]).step, Step::Send);
        const auto last = reader.onReply(replies.last());
        QCOMPARE(last.step, Step::Malformed);
        QVERIFY(!last.error.isEmpty());
    }

    void refusedAndIgnored()
    {
        BrewReader reader;
        QVERIFY(reader.start(u"x").ok());
        QCOMPARE(reader.onReply(hex("1404")).step, Step::Refused);
        QCOMPARE(reader.onReply(hex("590500")).step, Step::Ignored);
        QCOMPARE(reader.onReply(hex("29")).step, Step::Ignored);
    }

    void randomInputNeverBreaksTheParsers()
    {
        QRandomGenerator rng(31337);
        for (int round = 0; round < 3000; ++round) {
            QByteArray junk = randomBytes(rng, rng.bounded(300));
            if (junk.size() >= 2 && round % 2) {
                junk[0] = char(0x59);
                junk[1] = char(QList<int>{0x00, 0x01, 0x04, 0x05, 0x06, 0x0A, 0x0B, 0x0C}[rng.bounded(8)]);
            }
            (void)classifyListingReply(junk);
            (void)parseListingEntry(junk);
            (void)parseReadFirst(junk);
            (void)parseReadNext(junk);
            (void)parseErrorReply(junk);
            (void)parseMakeFolder(junk);
            (void)parseRemoveFile(junk);
            (void)parseRemoveFolder(junk);
            (void)parseFreeSpace(junk);
            BrewReader reader;
            (void)reader.start(u"x");
            (void)reader.onReply(junk);
            (void)reader.onReply(junk);
            BrewWriter writer;
            (void)writer.start(u"x", junk);
            (void)writer.onReply(junk);
        }
    }
};

VANDREL_TEST(BrewRequestTest)
VANDREL_TEST(BrewWriterTest)
VANDREL_TEST(BrewReplyTest)
VANDREL_TEST(BrewReaderTest)
#include "tst_brew.moc"
