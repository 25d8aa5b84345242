// The OBEX engines against byte vectors: the replies of each case reach the engine in one
// piece, one byte at a time and cut at random, always followed by the start of a reply that
// must stay where it is.
#include "common/testmain.h"
#include "tst_obex_fixtures.h"

#include <core/obex/pass.h>
#include <core/obex/transfer.h>

#include <QRandomGenerator>
#include <QTest>
#include <functional>

using namespace vandrel::obex;

namespace {
using obextest::hex;
using obextest::u16;

QByteArray be16(qsizetype v)
{
    QByteArray out;
    out.append(char((v >> 8) & 0xFF));
    out.append(char(v & 0xFF));
    return out;
}

// The phone's side: a reply packet and its headers.
QByteArray reply(quint8 code, const QByteArray &headers) { return char(code) + be16(3 + headers.size()) + headers; }
QByteArray id(const char *hexId = "024E804C") { return hex("CB") + hex(hexId); }
QByteArray header(quint8 headerId, const QByteArray &value) { return char(headerId) + be16(3 + value.size()) + value; }
QByteArray length(quint32 n) { return hex("C3") + be16(n >> 16) + be16(n & 0xFFFF); }

QByteArray fill(qsizetype n)
{
    QByteArray b(n, '\0');
    for (qsizetype i = 0; i < n; ++i)
        b[i] = char(i * 7 + 3);
    return b;
}

const QByteArray kUuid = hex("6B01CB31410611D49A770050DA3F471F");
const QByteArray kSuccess = hex("A00008CB024E804C");
const QByteArray kContinue = hex("900008CB024E804C");
const QByteArray kTrailing = hex("A00008CB02");  // the start of a reply nobody asked for yet
const QDateTime kNow(QDate(2005, 3, 7), QTime(9, 5, 1));

QByteArray connectReply(const char *hexId) { return hex("A0001F100010AACB") + hex(hexId) + hex("4A0013") + kUuid; }
QByteArray memoryReply(quint32 size) { return reply(0xA0, id() + hex("4C0009 3204") + be16(size >> 16) + be16(size & 0xFFFF)); }

// Requests as they go out.
const QByteArray kConnect = hex("80001A10004006460013") + kUuid + '\r';
const QByteArray kListing = hex("830021CB024E804C420019") + QByteArray("x-obex/folder-listing") + hex("00") + '\r';
const QByteArray kMore = hex("830008CB024E804C");
QByteArray enter(const char *name, const char *lengths)
{
    return hex("85") + hex(lengths) + hex("0200CB024E804C01") + be16(3 + 2 * qstrlen(name) + 2) + u16(name) + hex("0000");
}
QByteArray mmcQuery(char code) { return hex("830019CB024E804C4C0011320C") + code + hex("0A") + u16("\\mmc") + hex("0000"); }

const QByteArray kXml = QByteArrayLiteral("<?xml version=\"1.0\"?>\n<folder-listing version=\"1.0\">\n"
                                          "<file name=\"b.jpg\" size=\"1234\" modified=\"20050307T090501\"/>\n"
                                          "<folder name=\"trip\"/>\n<file name=\"a.txt\" size=\"5\"/>\n"
                                          "</folder-listing>\n");
// The listing in `parts` packets: all but the last continued with Body, the last final with End-of-Body.
QByteArray listingPackets(int parts)
{
    QByteArray out;
    const qsizetype step = (kXml.size() + parts - 1) / parts;
    for (int i = 0; i < parts; ++i) {
        const bool last = i == parts - 1;
        out += reply(last ? 0xA0 : 0x90, id() + header(last ? 0x49 : 0x48, kXml.mid(i * step, last ? -1 : step)));
    }
    return out;
}
const QStringList kRows{QStringLiteral("[trip]"), QStringLiteral("b.jpg"), QStringLiteral("a.txt")};

enum class Feed { Whole, ByteByByte, Random };

QList<QByteArray> pieces(const QByteArray &stream, Feed feed, quint32 seed)
{
    if (feed == Feed::Whole)
        return {stream};
    QList<QByteArray> out;
    QRandomGenerator rng(seed);
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype n = feed == Feed::ByteByByte ? 1 : qMin<qsizetype>(stream.size() - at, 1 + rng.bounded(70));
        out.append(stream.sliced(at, n));
        at += n;
    }
    return out;
}

struct Run {
    QList<QByteArray> sent;  // every request, in order
    Next last;               // what ended the exchange
    QByteArray leftover;     // bytes no reply took
};

// The link's part: sends what the engine asks for, cuts the arriving bytes into replies by the
// framer and hands them to `judge` until the engine stops asking; `supply` answers NeedData.
Run drive(const Next &first, const QByteArray &stream, Feed feed, quint32 seed,
          const std::function<Next(QByteArrayView)> &judge, const std::function<Next()> &supply = {})
{
    Run run;
    Next next = first;
    const auto settle = [&] {
        while (next.step == Step::NeedData && supply)
            next = supply();
        if (next.step == Step::Send)
            run.sent.append(next.bytes);
    };
    settle();
    QByteArray buffer;
    for (const QByteArray &piece : pieces(stream, feed, seed)) {
        buffer += piece;
        while (next.step == Step::Send) {
            const qsizetype n = replyLength(buffer);
            if (n == 0)
                break;
            const QByteArray one = buffer.first(n);
            buffer.remove(0, n);
            const Next judged = judge(one);
            if (judged.step == Step::Ignored)
                continue;
            next = judged;
            settle();
        }
    }
    run.last = next;
    run.leftover = buffer;
    return run;
}

// Every case, every way of feeding it.
template<class Check>
void forEachFeed(Check check)
{
    const Feed feeds[] = {Feed::Whole, Feed::ByteByByte, Feed::Random, Feed::Random, Feed::Random};
    for (quint32 seed = 0; seed < std::size(feeds); ++seed) {
        check(feeds[seed], seed);
        if (QTest::currentTestFailed()) {
            qWarning("fed %s", seed == 0 ? "whole" : seed == 1 ? "byte by byte" : "in random pieces");
            return;
        }
    }
}
} // namespace

class ObexEngineTest : public QObject {
    Q_OBJECT
private slots:
    void pass_data()
    {
        QTest::addColumn<bool>("transfer");   // the transfer window's acceptance, else the explorer's
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QByteArray>("replies");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("phase");
        QTest::addColumn<QString>("error");

        const QStringList photos{QStringLiteral("mmc"), QStringLiteral("photos")};
        const QByteArray enterMmc = hex("8500150200CB024E804C01000B006D006D00630000");
        const QByteArray enterPhotos = enter("photos", "001B");
        const QList<QByteArray> whole{kConnect, enterMmc, enterPhotos, mmcQuery(2), mmcQuery(1), kListing, kMore, kMore};
        // Whatever id the phone answers with, the requests carry ours.
        for (const char *phoneId : {"024E804C", "024C511C", "024C510C", "02462A9F"}) {
            for (const bool transfer : {false, true}) {
                const QByteArray replies = connectReply(phoneId) + reply(0xA0, id(phoneId)) + reply(0xA0, id(phoneId))
                    + memoryReply(1048576) + memoryReply(0x12345678) + listingPackets(3);
                const bool accepted = !(transfer && QByteArray(phoneId) == "02462A9F");
                QTest::addRow("connect id %s, %s", phoneId, transfer ? "transfer" : "explorer")
                    << transfer << photos << (accepted ? replies : connectReply(phoneId)) << (accepted ? whole : QList<QByteArray>{kConnect})
                    << int(accepted ? Step::Done : Step::Refused)
                    << int(accepted ? Pass::Phase::Finished : Pass::Phase::Connect) << QString();
            }
        }
        QTest::newRow("unknown id") << false << photos << connectReply("01020304") << QList<QByteArray>{kConnect}
                                    << int(Step::Refused) << int(Pass::Phase::Connect) << QString();
        QTest::newRow("root in one packet, stray lines passed over")
            << false << QStringList() << QByteArray("\r\nOK\r\n") + connectReply("024E804C") + "\r\n" + listingPackets(1)
            << QList<QByteArray>{kConnect, kListing} << int(Step::Done) << int(Pass::Phase::Finished) << QString();
        QTest::newRow("error instead of the connect reply") << false << photos << QByteArray("\r\nERROR\r\n")
                                                            << QList<QByteArray>{kConnect} << int(Step::PhoneError)
                                                            << int(Pass::Phase::Connect) << QString();
        QTest::newRow("missing folder") << false << QStringList{QStringLiteral("mmc"), QStringLiteral("nowhere")}
                                        << connectReply("024E804C") + kSuccess + hex("C40008CB024E804C")
                                        << QList<QByteArray>{kConnect, enterMmc, enter("nowhere", "001D")}
                                        << int(Step::NotFound) << int(Pass::Phase::Walk) << QString();
        QTest::newRow("forbidden folder") << false << photos << connectReply("024E804C") + hex("C30003")
                                          << QList<QByteArray>{kConnect, enterMmc} << int(Step::NotFound)
                                          << int(Pass::Phase::Walk) << QString();
        QTest::newRow("set-path answered oddly") << false << photos << connectReply("024E804C") + hex("A00003")
                                                 << QList<QByteArray>{kConnect, enterMmc} << int(Step::Malformed)
                                                 << int(Pass::Phase::Walk) << QString();
        QTest::newRow("name too long for a set-path")
            << false << QStringList{QStringLiteral("mmc"), QString(121, u'x')} << connectReply("024E804C") + kSuccess
            << QList<QByteArray>{kConnect, enterMmc} << int(Step::Invalid) << int(Pass::Phase::Walk)
            << QStringLiteral("longer than 120");
        QTest::newRow("no memory size") << false << QStringList{QStringLiteral("mmc")}
                                        << connectReply("024E804C") + kSuccess + kSuccess
                                        << QList<QByteArray>{kConnect, enterMmc, mmcQuery(2)} << int(Step::Malformed)
                                        << int(Pass::Phase::Memory) << QString();
        QTest::newRow("listing refused") << false << QStringList() << connectReply("024E804C") + hex("C00003")
                                         << QList<QByteArray>{kConnect, kListing} << int(Step::Refused)
                                         << int(Pass::Phase::Listing) << QStringLiteral("0xc0");
        QTest::newRow("listing of a forbidden folder") << false << QStringList() << connectReply("024E804C") + hex("C30003")
                                                       << QList<QByteArray>{kConnect, kListing} << int(Step::NotFound)
                                                       << int(Pass::Phase::Listing) << QString();
        QTest::newRow("listing that is no listing")
            << false << QStringList() << connectReply("024E804C") + reply(0xA0, id() + header(0x49, "<html/>"))
            << QList<QByteArray>{kConnect, kListing} << int(Step::Malformed) << int(Pass::Phase::Listing)
            << QStringLiteral("no folder listing");
    }
    void pass()
    {
        QFETCH(bool, transfer);
        QFETCH(QStringList, path);
        QFETCH(QByteArray, replies);
        QFETCH(QList<QByteArray>, sent);
        QFETCH(int, step);
        QFETCH(int, phase);
        QFETCH(QString, error);
        forEachFeed([&](Feed feed, quint32 seed) {
            Pass pass(transfer ? Acceptance::Transfer : Acceptance::Explorer);
            const Next first = pass.start({true, path, memoryRootOf(path), true});
            const auto judge = [&pass](QByteArrayView r) { return pass.onReply(r); };
            const Run run = drive(first, replies + kTrailing, feed, seed, judge);
            QCOMPARE(run.sent, sent);
            QCOMPARE(int(run.last.step), step);
            QCOMPARE(int(pass.phase()), phase);
            QVERIFY2(run.last.error.contains(error), qPrintable(run.last.error));
            QCOMPARE(run.leftover, kTrailing);
            if (run.last.step != Step::Done)
                return;
            QStringList rows;
            for (const auto &e : pass.entries())
                rows << e.caption();
            QCOMPARE(rows, kRows);
            QCOMPARE(pass.memory().queried, !path.isEmpty());
            if (!path.isEmpty()) {
                QCOMPARE(pass.memory().freeSpace, 1048576u);
                QCOMPARE(pass.memory().second, 0x12345678u);
            }
        });
    }

    void download_data()
    {
        QTest::addColumn<QByteArray>("replies");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("continuations");
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("begun");
        QTest::addColumn<QString>("error");
        const QByteArray file = fill(5000);
        QTest::newRow("last piece in the final End-of-Body")
            << reply(0x90, id() + length(5000) + header(0x48, file.first(4000)))
                + reply(0xA0, id() + header(0x49, file.sliced(4000)))
            << file << 1 << int(Step::Done) << true << QString();
        QTest::newRow("empty End-of-Body after the pieces")
            << reply(0x90, id() + length(5000) + header(0x48, file.first(4096)))
                + reply(0x90, id() + header(0x48, file.sliced(4096))) + hex("A0000BCB024E804C490003")
            << file << 2 << int(Step::Done) << true << QString();
        QTest::newRow("empty file") << reply(0x90, id() + length(0) + header(0x48, {})) + hex("A0000BCB024C511C490003")
                                    << QByteArray() << 1 << int(Step::Done) << true << QString();
        QTest::newRow("no Length") << reply(0xA0, id() + header(0x49, "abc")) << QByteArray("abc") << 0 << int(Step::Done)
                                   << true << QString();
        QTest::newRow("no such file") << hex("C40008CB024E804C") << QByteArray() << 0 << int(Step::NotFound) << false
                                      << QString();
        QTest::newRow("cut short by a refusal")
            << reply(0x90, id() + length(10) + header(0x48, "12345")) + hex("C30008CB024E804C") << QByteArray("12345") << 1
            << int(Step::Refused) << true << QString();
        QTest::newRow("more than announced") << reply(0x90, id() + length(3) + header(0x48, "12345")) << QByteArray() << 0
                                             << int(Step::Malformed) << true << QStringLiteral("more of a.txt");
        QTest::newRow("fewer than announced")
            << reply(0x90, id() + length(10) + header(0x48, "12345")) + hex("A0000BCB024E804C490003") << QByteArray("12345")
            << 1 << int(Step::Malformed) << true << QStringLiteral("5 of the 10 bytes of a.txt");
        QTest::newRow("command mode") << QByteArray("\r\nERROR\r\n") << QByteArray() << 0 << int(Step::PhoneError) << false
                                      << QString();
    }
    void download()
    {
        QFETCH(QByteArray, replies);
        QFETCH(QByteArray, data);
        QFETCH(int, continuations);
        QFETCH(int, step);
        QFETCH(bool, begun);
        QFETCH(QString, error);
        forEachFeed([&](Feed feed, quint32 seed) {
            Download get;
            QByteArray received;
            const auto judge = [&](QByteArrayView r) {
                const Next n = get.onReply(r);
                if (n.step == Step::Send || n.step == Step::Done)
                    received += get.data();
                return n;
            };
            const Run run = drive(get.start(u"a.txt"), replies + kTrailing, feed, seed, judge);
            QList<QByteArray> sent{hex("830017CB024E804C01000F") + u16("a.txt") + hex("0000")};
            for (int i = 0; i < continuations; ++i)
                sent << kMore;
            QCOMPARE(run.sent, sent);
            QCOMPARE(int(run.last.step), step);
            QVERIFY2(run.last.error.contains(error), qPrintable(run.last.error));
            QCOMPARE(received, data);
            QCOMPARE(get.begun(), begun);
            QCOMPARE(run.leftover, kTrailing);
        });
    }

    void upload_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("replacing");
        QTest::addColumn<QByteArray>("replies");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("stage");

        const QByteArray data = fill(4097);
        const QByteArray head = hex("CB024E804C010019") + u16("~a.txt.tmp") + hex("0000");
        const QByteArray time = hex("440012") + QByteArray("20050307T090501");
        const QByteArray attributes = hex("82002ECB024E804C010019") + u16("~a.txt.tmp") + hex("0000 4C000D 3808 22525744222252 22");
        const QByteArray deleteOld = hex("820017CB024E804C01000F") + u16("a.txt") + hex("0000");
        const QByteArray move = hex("820047CB024E804C4C003F3404") + "move" + hex("351E") + u16("/mmc/~a.txt.tmp") + hex("3614")
            + u16("/mmc/a.txt");
        const QByteArray first4097 = hex("02103B") + head + hex("C300001001") + time + hex("481003") + data.first(4096);
        const QByteArray last4097 = hex("82000CCB024E804C490004") + data.sliced(4096, 1);
        const int done = int(Step::Done);
        const int finished = int(Upload::Stage::Finished);

        QTest::newRow("0 bytes") << 0 << false << kSuccess + kSuccess + kSuccess
                                 << QList<QByteArray>{hex("82003B") + head + hex("C300000000") + time + hex("490003"), attributes, move}
                                 << done << finished;
        QTest::newRow("1 byte") << 1 << false << kSuccess + kSuccess + hex("A00008CB024C510C")
                                << QList<QByteArray>{hex("82003C") + head + hex("C300000001") + time + hex("490004") + data.first(1),
                                                     attributes, move}
                                << done << finished;
        QTest::newRow("4096 bytes") << 4096 << false << kSuccess + kSuccess + kSuccess
                                    << QList<QByteArray>{hex("82103B") + head + hex("C300001000") + time + hex("491003") + data.first(4096),
                                                         attributes, move}
                                    << done << finished;
        QTest::newRow("4097 bytes") << 4097 << false << kContinue + kSuccess + kSuccess + kSuccess
                                    << QList<QByteArray>{first4097, last4097, attributes, move} << done << finished;
        QTest::newRow("4097 bytes over an old file") << 4097 << true << kContinue + kSuccess + kSuccess + kSuccess + kSuccess
                                                     << QList<QByteArray>{first4097, last4097, attributes, deleteOld, move}
                                                     << done << finished;
        QTest::newRow("old file gone already") << 4097 << true << kContinue + kSuccess + kSuccess + hex("C40003") + kSuccess
                                               << QList<QByteArray>{first4097, last4097, attributes, deleteOld, move}
                                               << done << finished;
        QTest::newRow("phone full") << 4097 << true << hex("C30008CB024E804C") << QList<QByteArray>{first4097}
                                    << int(Step::Refused) << int(Upload::Stage::Data);
        QTest::newRow("success where a continue belongs") << 4097 << false << kSuccess << QList<QByteArray>{first4097}
                                                          << int(Step::Refused) << int(Upload::Stage::Data);
        QTest::newRow("old file kept") << 4097 << true << kContinue + kSuccess + kSuccess + hex("C30008CB024E804C")
                                       << QList<QByteArray>{first4097, last4097, attributes, deleteOld}
                                       << int(Step::Refused) << int(Upload::Stage::DeleteOld);
        QTest::newRow("move finds nothing") << 4097 << false << kContinue + kSuccess + kSuccess + hex("C40008CB024E804C")
                                            << QList<QByteArray>{first4097, last4097, attributes, move}
                                            << int(Step::NotFound) << int(Upload::Stage::Move);
    }
    void upload()
    {
        QFETCH(int, size);
        QFETCH(bool, replacing);
        QFETCH(QByteArray, replies);
        QFETCH(QList<QByteArray>, sent);
        QFETCH(int, step);
        QFETCH(int, stage);
        const QByteArray file = fill(4097).first(size);
        forEachFeed([&](Feed feed, quint32 seed) {
            Upload put;
            const auto judge = [&put](QByteArrayView r) { return put.onReply(r); };
            const auto supply = [&put, &file] { return put.supply(file.sliced(put.accepted(), put.dataWanted())); };
            const Next first = put.start(u"a.txt", quint32(size), kNow, {QStringLiteral("mmc")}, replacing);
            const Run run = drive(first, replies + kTrailing, feed, seed, judge, supply);
            QCOMPARE(run.sent.size(), sent.size());
            for (qsizetype i = 0; i < sent.size(); ++i)
                QCOMPARE(run.sent[i].toHex(' '), sent[i].toHex(' '));
            QCOMPARE(int(run.last.step), step);
            QCOMPARE(int(put.stage()), stage);
            QCOMPARE(put.accepted(), stage == int(Upload::Stage::Data) ? 0 : qint64(size));
            QCOMPARE(run.leftover, kTrailing);
        });
    }

    void uploadTakesOnlyTheDataItAskedFor()
    {
        Upload put;
        QCOMPARE(put.start(u"a.txt", 10, kNow, {}, false).step, Step::NeedData);
        QCOMPARE(put.dataWanted(), 10);
        QCOMPARE(put.supply("123").step, Step::Invalid);
        QCOMPARE(put.supply("0123456789").step, Step::Send);
        QCOMPARE(put.supply("0123456789").step, Step::Invalid);  // one packet in flight at a time
        QCOMPARE(put.start(QString(116, u'n'), 1, kNow, {}, false).step, Step::NeedData);
        QCOMPARE(put.supply("x").step, Step::Invalid);  // "~" + name + ".tmp" does not fit
    }

    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("replies");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("error");
        const QByteArray remove = hex("820017CB024E804C01000F") + u16("a.txt") + hex("0000");
        const QByteArray rename = hex("820059CB024E804C4C0051 3404") + QByteArray("move") + hex("3522")
            + u16("/mmc/photos/a.jpg") + hex("3622") + u16("/mmc/photos/b.jpg");
        QTest::newRow("delete") << QStringLiteral("delete") << kSuccess << remove << int(Step::Done) << QString();
        QTest::newRow("delete forbidden") << QStringLiteral("delete") << hex("C30008CB024C511C") << remove << int(Step::Refused)
                                          << QString();
        QTest::newRow("delete of nothing") << QStringLiteral("delete") << hex("C40003") << remove << int(Step::NotFound)
                                           << QString();
        QTest::newRow("rename") << QStringLiteral("rename") << hex("A00008CB024C510C") << rename << int(Step::Done) << QString();
        QTest::newRow("rename, bad request") << QStringLiteral("rename") << hex("C00003") << rename << int(Step::Refused)
                                             << QStringLiteral("0xc0");
        // The transfer window takes three ids only.
        QTest::newRow("success with the fourth id") << QStringLiteral("rename") << hex("A00008CB02462A9F") << rename
                                                    << int(Step::Refused) << QStringLiteral("0xa0");
        QTest::newRow("new folder") << QStringLiteral("create") << kSuccess
                                    << hex("8500150000CB024E804C01000B") + u16("new") + hex("0000") << int(Step::Done) << QString();
        QTest::newRow("enter") << QStringLiteral("enter") << "\r\nOK\r\n" + kSuccess << enter("new", "0015") << int(Step::Done)
                               << QString();
        QTest::newRow("up") << QStringLiteral("up") << kSuccess << hex("85000A0300CB024E804C") << int(Step::Done) << QString();
        QTest::newRow("up in command mode") << QStringLiteral("up") << QByteArray("ERROR\r\n") << hex("85000A0300CB024E804C")
                                            << int(Step::PhoneError) << QString();
    }
    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QByteArray, replies);
        QFETCH(QByteArray, sent);
        QFETCH(int, step);
        QFETCH(QString, error);
        forEachFeed([&](Feed feed, quint32 seed) {
            Command c;
            Next first;
            if (command == QLatin1String("delete"))
                first = c.remove(u"a.txt");
            else if (command == QLatin1String("rename"))
                first = c.rename({QStringLiteral("mmc"), QStringLiteral("photos")}, u"a.jpg", u"b.jpg");
            else if (command == QLatin1String("create"))
                first = c.createFolder(u"new");
            else if (command == QLatin1String("enter"))
                first = c.enterFolder(u"new");
            else
                first = c.folderUp();
            const auto judge = [&c](QByteArrayView r) { return c.onReply(r); };
            const Run run = drive(first, replies + kTrailing, feed, seed, judge);
            QCOMPARE(run.sent, QList<QByteArray>{sent});
            QCOMPARE(int(run.last.step), step);
            QCOMPARE(run.last.error, error);
            QCOMPARE(run.leftover, kTrailing);
        });
    }

    void requestsThatCannotBeCarried()
    {
        Command c;
        for (const Next &n : {c.remove(u""), c.createFolder(u"a/b"), c.enterFolder(QString(121, u'x')),
                              c.rename({}, u"a", u"b\\c")}) {
            QCOMPARE(n.step, Step::Invalid);
            QVERIFY(!n.error.isEmpty());
        }
        QCOMPARE(Download().start(u"").step, Step::Invalid);
    }
};

VANDREL_TEST(ObexEngineTest)
#include "tst_obex_engine.moc"
