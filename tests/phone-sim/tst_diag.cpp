// The diagnostic port driven with raw frames built here: BREW listings, reads and writes,
// folders, free space, mode changes, the display capture and the port's test controls.
#include "common/testmain.h"
#include "rig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

using namespace vandrel;
using rig::Feed;
using rig::hex;

namespace {

quint32 le32At(const QByteArray &b, int at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
        | quint32(quint8(b[at + 3])) << 24;
}

QByteArray listRequest(bool folders, quint32 seq, const QByteArray &folder)
{
    return QByteArray(1, 0x59) + char(folders ? 0x0A : 0x0B) + rig::le32(seq) + rig::nameField(folder);
}

// The client's write: first block, then one next block per acknowledgement, and the extra
// empty block that follows a file of 1 to 256 bytes.
QList<QByteArray> writeRequests(const QByteArray &name, const QByteArray &data)
{
    QList<QByteArray> out;
    const QByteArray first = data.left(256);
    QByteArray p = hex("590500") + char(data.size() >= 256 ? 1 : 0) + char(1) + rig::le32(quint32(data.size()))
        + hex("FF0001") + rig::be16(int(name.size() + 1)) + name + '\0';
    p += char(first.size() & 0xFF) + QByteArray(1, char(first.size() >> 8)) + first;
    out.append(p);
    qsizetype sent = first.size();
    int seq = 0;
    bool needsClosingBlock = !data.isEmpty() && data.size() <= 256;
    while (sent < data.size() || needsClosingBlock) {
        needsClosingBlock = false;
        const QByteArray block = data.mid(sent, 256);
        seq = seq == 255 ? 1 : seq + 1;
        const qsizetype pending = data.size() - sent;
        out.append(QByteArray(1, 0x59) + char(0x05) + char(seq) + char(pending >= 256 ? 1 : 0)
                   + char(block.size() & 0xFF) + char(block.size() >> 8) + block);
        sent += block.size();
    }
    return out;
}

// Reads a whole file block by block, checking the reply layouts on the way.
QByteArray readFile(rig::DiagRig &r, const QByteArray &name, QString *problem)
{
    QByteArray reply = r.ask(hex("590400") + rig::nameField(name));
    if (reply.size() < 11 || !reply.startsWith("\x59\x04")) {
        *problem = QStringLiteral("first reply ") + QString::fromLatin1(reply.toHex(' '));
        return {};
    }
    const quint32 total = le32At(reply, 5);
    const int len = quint8(reply[9]) | quint8(reply[10]) << 8;
    QByteArray data = reply.mid(11);
    if (data.size() != len) {
        *problem = QStringLiteral("first block length");
        return {};
    }
    int seq = 0;
    while (quint32(data.size()) < total) {
        seq = seq == 255 ? 1 : seq + 1;
        reply = r.ask(hex("5904") + char(seq));
        const int n = quint8(reply[5]) | quint8(reply[6]) << 8;
        if (reply.size() != 7 + n || quint8(reply[2]) != seq || n > 256) {
            *problem = QStringLiteral("next block %1").arg(seq);
            return {};
        }
        data += reply.mid(7);
    }
    return data;
}

QByteArray sample(int size)
{
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 31 + 0x7D) & 0xFF); // plenty of 7D and 7E to escape
    return data;
}

} // namespace

class DiagFrameTest : public QObject {
    Q_OBJECT
private slots:
    void checkValue_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("crc");
        QTest::newRow("check string") << QByteArray("123456789") << 0x906E;
        QTest::newRow("mode change") << hex("290200") << 0x6A59;
    }
    void checkValue()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, crc);
        QCOMPARE(int(phonesim::diag::crc16x25(bytes)), crc);
        QCOMPARE(int(rig::crc(bytes)), crc);
    }

    void framing_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("mode change") << hex("290200") << hex("290200596A7E");
        QTest::newRow("escapes") << hex("7D7E") << rig::escaped(hex("7D7E")) + rig::escaped(
                                                     QByteArray(1, char(rig::crc(hex("7D7E")) & 0xFF))
                                                     + char(rig::crc(hex("7D7E")) >> 8)) + char(0x7E);
    }
    void framing()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, wire);
        QCOMPARE(phonesim::diag::frame(payload), wire);
        QCOMPARE(wire.count(char(0x7E)), 1);
    }

    void badCrcIsAnsweredAsBadCommand_data()
    {
        QTest::addColumn<int>("how");
        rig::addFeedRows("bad crc");
    }
    void badCrcIsAnsweredAsBadCommand()
    {
        QFETCH(int, how);
        rig::DiagRig r;
        QByteArray broken = rig::frame(hex("590C01"));
        broken[3] = char(broken[3] ^ 0x01);
        r.out.clear();
        if (Feed(how) == Feed::ByteByByte) {
            for (char c : broken)
                r.port->feed(QByteArray(1, c));
        } else {
            r.port->feed(broken + (Feed(how) == Feed::Trailing ? rig::frame(hex("290400")).left(2) : QByteArray()));
        }
        const auto replies = rig::payloads(std::exchange(r.out, {}));
        QCOMPARE(replies.size(), 1);
        QCOMPARE(quint8(replies.first()[0]), quint8(0x13));
        QVERIFY(r.anomalies.lines().join(u'\n').contains(QStringLiteral("bad CRC")));
        if (Feed(how) == Feed::Trailing) {
            r.port->feed(rig::frame(hex("290400")).mid(2));
            QCOMPARE(rig::payloads(r.out), QList<QByteArray>{hex("290400")});
        }
    }

    void brokenFramesNeverCrash()
    {
        rig::DiagRig r;
        for (quint32 seed = 1; seed <= 300; ++seed) {
            QRandomGenerator rng(seed);
            QByteArray junk(int(rng.bounded(1, 400)), '\0');
            for (auto &c : junk)
                c = char(rng.bounded(256));
            if (seed % 2)
                junk = rig::frame(listRequest(seed % 4 == 1, seed, "brew/mod")).left(int(rng.bounded(1, 20))) + junk;
            if (seed % 5 == 0) // a well-checked but cut or garbled request
                junk = rig::frame(junk.left(int(rng.bounded(1, 12))));
            r.port->feed(junk + char(0x7E));
        }
        r.port->reset();
        QCOMPARE(r.ask(hex("290400")), hex("290400"));
    }
};
VANDREL_TEST(DiagFrameTest)

class BrewListingTest : public QObject {
    Q_OBJECT
private slots:
    void entryLayout_data()
    {
        QTest::addColumn<int>("how");
        rig::addFeedRows("entry");
    }
    void entryLayout()
    {
        QFETCH(int, how);
        rig::DiagRig r;
        const auto replies = r.session({listRequest(true, 0, "brew/mod"), listRequest(false, 0, "brew/mod/clock/"),
                                        listRequest(false, 2, "brew/mod/clock"), listRequest(false, 3, "brew/mod/clock"),
                                        listRequest(true, 0, "brew/mod/clock"), listRequest(true, 0, "brew/nothing")},
                                       Feed(how));
        QVERIFY(r.crcOk);
        const QByteArray folder = replies.at(0);
        QCOMPARE(folder.left(3), hex("590A00"));
        QCOMPARE(quint8(folder[3]), quint8(0));
        QCOMPARE(int(quint8(folder[24])), int(QByteArray("brew/mod/clock").size() + 1));
        QCOMPARE(folder.mid(25, 14), QByteArray("brew/mod/clock"));
        const QByteArray file = replies.at(1);
        QCOMPARE(file.left(3), hex("590B00"));
        QCOMPARE(file.mid(25, int(quint8(file[24])) - 1), QByteArray("brew/mod/clock/clock.mif"));
        QCOMPARE(le32At(file, 15), 1u);
        QCOMPARE(le32At(replies.at(2), 15), 0u); // empty.dat, sorted after clock.mod
        QCOMPARE(replies.at(3), hex("590B1C"));  // end of the file listing
        QCOMPARE(replies.at(4), hex("590A1C"));  // no folders
        QCOMPARE(replies.at(5), hex("590A08"));  // missing folder
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    void rootListing()
    {
        rig::DiagRig r;
        const QByteArray first = r.ask(listRequest(true, 0, "/"));
        QCOMPARE(first.mid(25, int(quint8(first[24])) - 1), QByteArray("brew"));
        QCOMPARE(r.ask(listRequest(true, 1, "/")), hex("590A1C"));
        const QByteArray file = r.ask(listRequest(false, 0, ""));
        QCOMPARE(file.mid(25, int(quint8(file[24])) - 1), QByteArray("pbm_master_v_20.dat"));
        QCOMPARE(r.ask(listRequest(false, 1, "")), hex("590B1C"));
        QVERIFY(r.anomalies.lines().isEmpty());
    }

    // The seeded address book: records that fill the file exactly, numbered from 1, each
    // ending with its record-number item.
    void seededPhonebookRecords()
    {
        rig::DiagRig r;
        QString problem;
        const QByteArray book = readFile(r, "pbm_master_v_20.dat", &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        int at = 0, records = 0;
        while (at < book.size()) {
            const int len = quint8(book[at]) | quint8(book[at + 1]) << 8;
            QVERIFY(len > 8 && at + len <= book.size());
            ++records;
            QCOMPARE(int(quint8(book[at + 2])), records);
            QCOMPARE(int(quint8(book[at + 4])), records + 10);
            QCOMPARE(book.mid(at + len - 16, 8), hex("3DFF050000000800"));
            QCOMPARE(int(quint8(book[at + len - 8])), records);
            at += len;
        }
        QCOMPARE(at, book.size());
        QCOMPARE(records, 6);
        // "Novák" in UCS-2, little-endian.
        QVERIFY(book.contains(hex("4E006F007600E1006B000000")));
    }

    void bigFoldersToTheEnd_data()
    {
        QTest::addColumn<bool>("folders");
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<int>("count");
        QTest::newRow("310 files") << false << QByteArray("brew/mod/many-files") << 310;
        QTest::newRow("140 folders") << true << QByteArray("brew/mod/many-folders") << 140;
    }
    void bigFoldersToTheEnd()
    {
        QFETCH(bool, folders);
        QFETCH(QByteArray, folder);
        QFETCH(int, count);
        rig::DiagRig r;
        QByteArrayList names;
        for (quint32 seq = 0;; ++seq) {
            const QByteArray reply = r.ask(listRequest(folders, seq, folder));
            QVERIFY2(r.crcOk, "every reply's check value holds");
            if (reply == (folders ? hex("590A1C") : hex("590B1C")))
                break;
            QVERIFY(seq < 1000);
            QCOMPARE(quint8(reply[3]), quint8(seq & 0xFF));
            names.append(reply.mid(25, int(quint8(reply[24])) - 1));
        }
        QCOMPARE(names.size(), count);
        QCOMPARE(names.first(), folder + (folders ? "/dir000" : "/file000.dat"));
        QCOMPARE(names.at(126), folder + (folders ? "/dir126" : "/file126.dat")); // sequence byte 7E, escaped
        QCOMPARE(names.last(), folder + (folders ? "/dir139" : "/file309.dat"));
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    // A client that skips a sequence number still gets the entry it asked for.
    void skippedSequence()
    {
        rig::DiagRig r;
        const QByteArray reply = r.ask(listRequest(false, 127, "brew/mod/many-files"));
        QCOMPARE(reply.mid(25, int(quint8(reply[24])) - 1), QByteArray("brew/mod/many-files/file127.dat"));
    }

    void unsafeNamesStayInside()
    {
        rig::DiagRig r;
        QCOMPARE(r.ask(listRequest(true, 0, "brew/../..")), hex("590A08"));
        QCOMPARE(r.ask(hex("590400") + rig::nameField("../../etc/passwd")).mid(4, 1), hex("08"));
        QVERIFY(!r.anomalies.lines().isEmpty());
    }

    void cp1250NamesAreKeptAsBytes()
    {
        rig::DiagRig r;
        const QByteArray name = "brew/shared/P\xEDsni\xE8ka.txt";
        QString problem;
        QCOMPARE(readFile(r, name, &problem), QByteArray("la la la\r\n"));
        const QByteArray made = "brew/shared/\xC8" "esk\xE1";
        QCOMPARE(r.ask(hex("5900") + rig::nameField(made)), hex("590000"));
        bool listed = false;
        for (quint32 seq = 0; seq < 5; ++seq) {
            const QByteArray reply = r.ask(listRequest(true, seq, "brew/shared"));
            listed = listed || reply.mid(25, int(quint8(reply[24])) - 1) == made;
        }
        QVERIFY(listed);
    }
};
VANDREL_TEST(BrewListingTest)

class BrewTransferTest : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("how");
        for (int size : {0, 1, 100, 256, 257, 300, 100000}) {
            for (Feed how : {Feed::Whole, Feed::ByteByByte, Feed::Trailing}) {
                if (size == 100000 && how == Feed::ByteByByte)
                    continue; // the byte-by-byte path is covered by the smaller sizes
                QTest::newRow(QByteArray::number(size).append(" ").append(QByteArray::number(int(how))).constData())
                    << size << int(how);
            }
        }
    }
    void roundTrip()
    {
        QFETCH(int, size);
        QFETCH(int, how);
        rig::DiagRig r;
        const QByteArray data = sample(size);
        const QByteArray name = "brew/mod/game/upload.bin";
        const auto requests = writeRequests(name, data);
        const auto replies = r.session(requests, Feed(how));
        QVERIFY(r.crcOk);
        for (int i = 0; i < replies.size(); ++i)
            QCOMPARE(replies.at(i), hex("590500") + char(quint8(requests.at(i)[2])));
        QFile stored(r.brew(QStringLiteral("brew/mod/game/upload.bin")));
        QVERIFY(stored.open(QIODevice::ReadOnly));
        QCOMPARE(stored.readAll(), data);
        QString problem;
        QCOMPARE(readFile(r, name, &problem), data);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    void exampleWriteBlocks()
    {
        // A 100-byte file: one first block (more 00, data length 64 00) and an empty block.
        const auto hundred = writeRequests("x", QByteArray(100, 'a'));
        QCOMPARE(hundred.size(), 2);
        QCOMPARE(hundred.at(1), hex("590501000000"));
        // 300 bytes: 256 with more 01, then 59 05 01 00 2C 00 and 44 bytes.
        const auto three = writeRequests("x", QByteArray(300, 'a'));
        QCOMPARE(three.at(1).left(6), hex("590501002C00"));
        rig::DiagRig r;
        for (const auto &q : three)
            QCOMPARE(r.ask(q).left(3), hex("590500"));
        QVERIFY(r.anomalies.lines().isEmpty());
    }

    void seededLargeFileIsManyBlocks()
    {
        rig::DiagRig r;
        QString problem;
        const QByteArray data = readFile(r, "brew/mod/game/game.mod", &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(data.size(), 100000);
        QVERIFY(r.anomalies.lines().isEmpty());
    }

    void missingFile()
    {
        rig::DiagRig r;
        QCOMPARE(r.ask(hex("590400") + rig::nameField("brew/none.dat")), hex("5904000008"));
        QCOMPARE(r.ask(writeRequests("brew/none/x.dat", "abc").first()), hex("590508"));
    }

    void refusedReadThenRetried()
    {
        rig::DiagRig r;
        r.rules.refuseReads = 1;
        QCOMPARE(r.ask(hex("590400") + rig::nameField("brew/mod/clock/clock.mod")).left(2), hex("1404"));
        QString problem;
        QCOMPARE(readFile(r, "brew/mod/clock/clock.mod", &problem).size(), 257);
        QVERIFY(problem.isEmpty());
    }

    void refusedWrite()
    {
        rig::DiagRig r;
        const auto requests = writeRequests("brew/mod/w.bin", sample(600));
        QCOMPARE(r.ask(requests.at(0)), hex("59050000"));
        r.rules.refuseWrites = 1;
        QCOMPARE(r.ask(requests.at(1)).left(2), hex("1405"));
        QVERIFY(!QFileInfo::exists(r.brew(QStringLiteral("brew/mod/w.bin"))));
        r.rules.refuseWrites = 1;
        QCOMPARE(r.ask(requests.at(0)).left(2), hex("1405"));
    }

    void writeAnomalies_data()
    {
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QString>("expected");
        QTest::newRow("skipped sequence") << hex("590502012C00") + QByteArray(44, 'a') << QStringLiteral("sequence 2");
        QTest::newRow("wrong more flag") << hex("590501012C00") + QByteArray(44, 'a') << QStringLiteral("more flag");
        QTest::newRow("block too long") << hex("590501002D00") + QByteArray(45, 'a') << QStringLiteral("block of 45");
    }
    void writeAnomalies()
    {
        QFETCH(QByteArray, second);
        QFETCH(QString, expected);
        rig::DiagRig r;
        r.ask(writeRequests("brew/mod/x.bin", sample(300)).first());
        r.ask(second);
        QVERIFY2(r.anomalies.lines().join(u'\n').contains(expected), qPrintable(r.anomalies.lines().join(u'\n')));
    }
};
VANDREL_TEST(BrewTransferTest)

class BrewCommandTest : public QObject {
    Q_OBJECT
private slots:
    void folderAndFileStatuses_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("exists");
        QTest::newRow("make") << hex("5900") + rig::nameField("brew/mod/new") << hex("590000")
                              << QStringLiteral("brew/mod/new") << true;
        QTest::newRow("make existing") << hex("5900") + rig::nameField("brew/mod/game") << hex("590007")
                                       << QStringLiteral("brew/mod/game") << true;
        QTest::newRow("make without parent") << hex("5900") + rig::nameField("brew/x/y") << hex("590007")
                                             << QStringLiteral("brew/x") << false;
        QTest::newRow("remove empty folder") << hex("5901") + rig::nameField("brew/mod/empty") << hex("590100")
                                             << QStringLiteral("brew/mod/empty") << false;
        QTest::newRow("remove full folder") << hex("5901") + rig::nameField("brew/mod/game") << hex("590103")
                                            << QStringLiteral("brew/mod/game") << true;
        QTest::newRow("remove missing folder") << hex("5901") + rig::nameField("brew/mod/nic") << hex("590109")
                                               << QStringLiteral("brew/mod/nic") << false;
        QTest::newRow("remove file") << hex("5906") + rig::nameField("brew/mod/clock/clock.mif") << hex("590600")
                                     << QStringLiteral("brew/mod/clock/clock.mif") << false;
        QTest::newRow("remove missing file") << hex("5906") + rig::nameField("brew/mod/clock/nic") << hex("590609")
                                             << QStringLiteral("brew/mod/clock/nic") << false;
        QTest::newRow("remove a folder as file") << hex("5906") + rig::nameField("brew/mod/empty") << hex("590609")
                                                 << QStringLiteral("brew/mod/empty") << true;
    }
    void folderAndFileStatuses()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, answer);
        QFETCH(QString, path);
        QFETCH(bool, exists);
        rig::DiagRig r;
        QCOMPARE(r.ask(request), answer);
        QCOMPARE(QFileInfo::exists(r.brew(path)), exists);
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    void freeSpace()
    {
        rig::DiagRig r;
        r.port->setTotalSpace(10'000'000);
        const QByteArray before = r.ask(hex("590C01"));
        QCOMPARE(before.left(3), hex("590C00"));
        for (const auto &q : writeRequests("brew/big.bin", sample(5000)))
            r.ask(q);
        const QByteArray after = r.ask(hex("590C01"));
        QCOMPARE(le32At(before, 3) - le32At(after, 3), 5000u);
        QVERIFY(le32At(before, 3) < 10'000'000u);
    }

    void modeChanges()
    {
        rig::DiagRig r;
        QCOMPARE(r.ask(hex("290500")), hex("290500"));
        QVERIFY(r.port->offline());
        QCOMPARE(r.ask(hex("290400")), hex("290400"));
        QVERIFY(!r.port->offline());
        QCOMPARE(r.ask(hex("290300")), hex("290300"));
        QCOMPARE(r.ask(hex("290100")), hex("290100"));
        QCOMPARE(r.ask(hex("290200")), hex("290200"));
        QCOMPARE(r.port->modeChanges(), (QList<int>{5, 4, 3, 1, 2}));
        QCOMPARE(r.port->resets(), 1);
        QVERIFY(r.anomalies.lines().isEmpty());
    }

    void captureWritesABitmap()
    {
        rig::DiagRig r;
        const QByteArray request = hex("4B1001000000000000FFFFFFFF00") + "DispCapture.bmp" + '\0';
        const QByteArray ack = r.ask(request);
        QVERIFY(ack.startsWith(hex("4B10010000000000")));
        QString problem;
        const QByteArray bmp = readFile(r, "DispCapture.bmp", &problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(bmp.left(2), QByteArray("BM"));
        QCOMPARE(le32At(bmp, 2), quint32(bmp.size()));
        QCOMPARE(le32At(bmp, 10), 54u);                 // pixels after the two headers
        QCOMPARE(le32At(bmp, 14), 40u);
        QCOMPARE(le32At(bmp, 18), 240u);
        QCOMPARE(le32At(bmp, 22), 320u);
        QCOMPARE(int(quint8(bmp[28])), 24);
        QCOMPARE(bmp.size(), 54 + 240 * 320 * 3);
        QCOMPARE(request.size(), 30);
        QCOMPARE(r.port->captures(), 1);
        QVERIFY2(r.anomalies.lines().isEmpty(), qPrintable(r.anomalies.lines().join(u'\n')));
    }

    void silentAtAndBadCrcControls()
    {
        rig::DiagRig r;
        r.rules.badCrcAnswers = 1;
        r.ask(hex("290400"));
        QVERIFY(!r.crcOk);
        r.ask(hex("290400"));
        QVERIFY(r.crcOk);
        r.rules.silentAtDiag.insert(QStringLiteral("diag read"));
        r.ask(hex("590400") + rig::nameField("brew/mod/clock/clock.mif"));
        QVERIFY(r.silent);
    }
};
VANDREL_TEST(BrewCommandTest)

#include "tst_diag.moc"
