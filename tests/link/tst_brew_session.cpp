#include "common/testmain.h"
#include "tst_brew_phone.h"

#include <link/brewconnect.h>
#include <link/brewcopy.h>
#include <link/brewsession.h>
#include <link/phonemodes.h>

#include <core/diag/frame.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel::link;
using vandrel::channel::FakeSerialChannel;
using namespace std::chrono_literals;

namespace {

using brewtest::hex;
using brewtest::pattern;

struct Rig {
    FakeSerialChannel *modem = new FakeSerialChannel;
    FakeSerialChannel *diag = new FakeSerialChannel;
    PhoneLink link{modem, diag};
    BrewPhone phone;
    BrewSession session{link};
    explicit Rig(BrewPhone::Split split = BrewPhone::Split::Whole, quint32 seed = 1) : phone(diag, seed)
    {
        phone.split = split;
        link.timing().replyLimit = 400ms;
        link.timing().openRetry = 5ms;
        (void)diag->open();
    }
    QByteArray leftOver() { return link.reader(PhoneLink::Port::Diag).pending(); }
    // What must be left unread after an operation in the split mode.
    QByteArray expectedLeftOver() const
    {
        return phone.split == BrewPhone::Split::Trailing ? BrewPhone::strayHead() : QByteArray();
    }
};

void addSplitColumn()
{
    QTest::addColumn<int>("split");
}

template <typename F>
void splitRows(const char *name, F addValues)
{
    for (auto [s, label] : {std::pair{BrewPhone::Split::Whole, "whole"}, {BrewPhone::Split::ByteByByte, "bytes"},
                            {BrewPhone::Split::Trailing, "trailing"}, {BrewPhone::Split::Random, "random"}}) {
        auto &row = QTest::newRow(QByteArray(name).append(' ').append(label).constData()) << int(s);
        addValues(row);
    }
}

} // namespace

class BrewSessionTest : public QObject {
    Q_OBJECT
private slots:
    void listingRequests_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("folders");
        QTest::addColumn<QByteArray>("files");
        QTest::newRow("root") << QString() << hex("590A0000000002") + "/" + '\0' << hex("590B0000000001") + '\0';
        QTest::newRow("brew/mod/") << u"brew/mod/"_qs << hex("590A0000000009") + "brew/mod" + '\0'
                                   << hex("590B000000000A") + "brew/mod/" + '\0';
        QTest::newRow("brew/mod without slash") << u"brew/mod"_qs << hex("590A0000000009") + "brew/mod" + '\0'
                                                << hex("590B000000000A") + "brew/mod/" + '\0';
    }
    void listingRequests()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, folders);
        QFETCH(QByteArray, files);
        Rig rig;
        rig.phone.folders = {"brew", "brew/mod"};
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(path));
        QVERIFY(r.ok());
        QCOMPARE(rig.phone.requests.first(), folders);
        const auto firstFiles = std::find_if(rig.phone.requests.cbegin(), rig.phone.requests.cend(),
                                             [](const QByteArray &p) { return p.startsWith(hex("590B")); });
        QVERIFY(firstFiles != rig.phone.requests.cend());
        QCOMPARE(*firstFiles, files);
        QVERIFY(rig.phone.badFrames.isEmpty());
    }

    void listing_data()
    {
        addSplitColumn();
        splitRows("listing", [](auto &) {});
    }
    void listing()
    {
        QFETCH(int, split);
        Rig rig{BrewPhone::Split(split), 7};
        rig.phone.folders = {"brew", "brew/mod", "brew/mod/game", "brew/mod/zz"};
        rig.phone.files["brew/mod/a.txt"] = "abc";
        rig.phone.files["brew/mod/b.bin"] = QByteArray(1000, 'x');
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(u"brew/mod/"_qs, true));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        const auto rows = r.value.paneRows();
        QCOMPARE(rows.size(), 5);
        QCOMPARE(rows.at(0).caption(), u"[..]"_qs);
        QCOMPARE(rows.at(1).caption(), u"[game]"_qs);
        QCOMPARE(rows.at(1).sizeText, u"  <DIR>"_qs);
        QCOMPARE(rows.at(2).caption(), u"[zz]"_qs);
        QCOMPARE(rows.at(3).caption(), u"a.txt"_qs);
        QCOMPARE(rows.at(3).sizeText, u"3"_qs);
        QCOMPARE(rows.at(4).sizeText, u"1000"_qs);
        QVERIFY(!rows.at(4).dateText.isEmpty());
        QCOMPARE(r.value.freeBytes, std::optional<quint32>(123456789));
        QCOMPARE(rig.phone.requests.value(1), hex("590A0100000009") + "brew/mod" + '\0');
        QCOMPARE(rig.phone.requests.last(), hex("590C01"));
        QCOMPARE(rig.leftOver(), rig.expectedLeftOver());
        QVERIFY(!rig.link.isClaimed(PhoneLink::Port::Diag));
    }

    void emptyRootShowsTheParentRow()
    {
        Rig rig;
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(QString()));
        QVERIFY(r.ok());
        QCOMPARE(r.value.paneRows().size(), 1);
        QCOMPARE(r.value.paneRows().first().caption(), u"[..]"_qs);
    }

    // Past entry 126 the sequence byte is escaped, not changed, and past 255 it takes two bytes.
    void longListing()
    {
        Rig rig(BrewPhone::Split::Random, 3);
        rig.phone.folders = {"big"};
        for (int i = 0; i < 300; ++i)
            rig.phone.files[QByteArray("big/f") + QByteArray::number(1000 + i)] = QByteArray::number(i);
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(u"big"_qs));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value.entries.size(), 300);
        for (int i = 0; i < 300; ++i)
            QCOMPARE(r.value.entries.at(i).name, u"f"_qs + QString::number(1000 + i));
        QList<QByteArray> fileRequests;
        for (const auto &p : rig.phone.requests)
            if (p.startsWith(hex("590B")))
                fileRequests << p;
        QCOMPARE(fileRequests.size(), 301);
        QCOMPARE(fileRequests.at(126).mid(2, 4), hex("7E000000"));
        QCOMPARE(fileRequests.at(127).mid(2, 4), hex("7F000000"));
        QCOMPARE(fileRequests.at(256).mid(2, 4), hex("00010000"));
        QCOMPARE(fileRequests.at(257).mid(2, 4), hex("01010000"));
    }

    void missingFolderIsNotFound()
    {
        Rig rig;
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(u"nowhere"_qs));
        QCOMPARE(r.outcome.kind, FailureKind::NotFound);
        QVERIFY(r.outcome.isFailed());
        QCOMPARE(rig.phone.requests.size(), 1);
    }

    void roundTrip_data()
    {
        QTest::addColumn<int>("split");
        QTest::addColumn<int>("size");
        for (const int size : {0, 1, 255, 256, 257, 100000})
            splitRows(QByteArray::number(size).constData(), [size](auto &row) { row << size; });
    }
    void roundTrip()
    {
        QFETCH(int, split);
        QFETCH(int, size);
        if (size == 100000 && BrewPhone::Split(split) == BrewPhone::Split::ByteByByte)
            QSKIP("covered by the random split; byte by byte is slow here");
        Rig rig{BrewPhone::Split(split), quint32(size)};
        const QByteArray data = pattern(size);
        QSignalSpy progress(&rig.session, &BrewSession::progress);
        const Outcome w = QCoro::waitFor(rig.session.writeBrewData(data, u"f.bin"_qs)).outcome;
        QVERIFY2(w.ok(), qPrintable(w.detail));
        QCOMPARE(rig.phone.files.value("f.bin"), data);
        QCOMPARE(progress.last().at(0).toLongLong(), qint64(size));
        const auto r = QCoro::waitFor(rig.session.readBrewFile(QString(), u"f.bin"_qs));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value, data);
        QCOMPARE(rig.leftOver(), rig.expectedLeftOver());
        QVERIFY(!rig.link.isClaimed(PhoneLink::Port::Diag));
    }

    void exactTransferRequests_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<QByteArray>>("heads");  // each request without its data
        QTest::addColumn<QList<int>>("dataSizes");
        const QByteArray name = QByteArray("f") + '\0';
        QTest::newRow("300 bytes") << 300 << QList<QByteArray>{hex("590500") + char(1) + hex("012C010000FF0001") + hex("0002") + name + hex("0001"), hex("590501002C00")}
                                   << QList<int>{256, 44};
        QTest::newRow("100 bytes") << 100 << QList<QByteArray>{hex("5905000001640000") + hex("00FF0001") + hex("0002") + name + hex("6400"), hex("590501000000")}
                                   << QList<int>{100, 0};
        QTest::newRow("512 bytes") << 512 << QList<QByteArray>{hex("59050001010002") + hex("0000FF0001") + hex("0002") + name + hex("0001"), hex("590501010001")}
                                   << QList<int>{256, 256};
    }
    void exactTransferRequests()
    {
        QFETCH(int, size);
        QFETCH(QList<QByteArray>, heads);
        QFETCH(QList<int>, dataSizes);
        Rig rig;
        const QByteArray data = pattern(size);
        QVERIFY(QCoro::waitFor(rig.session.writeBrewData(data, u"f"_qs)).outcome.ok());
        QCOMPARE(rig.phone.requests.size(), heads.size());
        qsizetype sent = 0;
        for (int i = 0; i < heads.size(); ++i) {
            const QByteArray &req = rig.phone.requests.at(i);
            QCOMPARE(req.left(heads.at(i).size()).toHex(' '), heads.at(i).toHex(' '));
            QCOMPARE(req.size() - heads.at(i).size(), qsizetype(dataSizes.at(i)));
            QCOMPARE(req.mid(heads.at(i).size()), data.mid(sent, dataSizes.at(i)));
            sent += dataSizes.at(i);
        }
    }

    void readRequestOfRootFile()
    {
        Rig rig;
        rig.phone.files["pbm_master_v_20.dat"] = "x";
        QVERIFY(QCoro::waitFor(rig.session.readBrewFile(QString(), u"pbm_master_v_20.dat"_qs)).ok());
        QCOMPARE(rig.phone.requests.first(), hex("59040014") + "pbm_master_v_20.dat" + '\0');
    }

    void refusedReadRestarts_data()
    {
        QTest::addColumn<int>("refusals");
        QTest::addColumn<bool>("succeeds");
        QTest::newRow("once") << 1 << true;
        QTest::newRow("up to the limit") << BrewSession::kReadRestarts << true;
        QTest::newRow("past the limit") << BrewSession::kReadRestarts + 1 << false;
    }
    void refusedReadRestarts()
    {
        QFETCH(int, refusals);
        QFETCH(bool, succeeds);
        Rig rig;
        rig.phone.files["a/b"] = pattern(600);
        rig.phone.folders = {"a"};
        rig.phone.refuseReads = refusals;
        const auto r = QCoro::waitFor(rig.session.readBrewFile(u"a/"_qs, u"b"_qs));
        QCOMPARE(r.ok(), succeeds);
        const int firsts = int(std::count_if(rig.phone.requests.cbegin(), rig.phone.requests.cend(),
                                             [](const QByteArray &p) { return p.size() > 3 && p.startsWith(hex("5904")); }));
        if (succeeds) {
            QCOMPARE(r.value, pattern(600));
            QCOMPARE(firsts, refusals + 1);
        } else {
            QCOMPARE(r.outcome.kind, FailureKind::Refused);
            QCOMPARE(firsts, BrewSession::kReadRestarts + 1);
        }
    }

    void refusedWriteIsReported()
    {
        Rig rig;
        rig.phone.refuseWrites = 1;
        const Outcome o = QCoro::waitFor(rig.session.writeBrewData(pattern(700), u"w"_qs)).outcome;
        QCOMPARE(o.kind, FailureKind::Refused);
        QVERIFY(o.isFailed());
        QCOMPARE(rig.phone.requests.size(), 1);
    }

    void errorFramesAreReported_data()
    {
        QTest::addColumn<QByteArray>("prefix");
        QTest::newRow("listing") << hex("590A");
        QTest::newRow("free space") << hex("590C");
        QTest::newRow("make folder") << hex("5900");
        QTest::newRow("remove") << hex("5906");
    }
    void errorFramesAreReported()
    {
        QFETCH(QByteArray, prefix);
        Rig rig;
        rig.phone.errorFor = prefix;
        Outcome o;
        switch (quint8(prefix[1])) {
        case 0x0A: o = QCoro::waitFor(rig.session.listBrewFolder(QString())).outcome; break;
        case 0x0C: o = QCoro::waitFor(rig.session.requestBrewFreeSpace()).outcome; break;
        case 0x00: o = QCoro::waitFor(rig.session.makeBrewFolder(QString(), u"n"_qs)); break;
        default: o = QCoro::waitFor(rig.session.removeBrewEntry(u"x"_qs)); break;
        }
        QCOMPARE(o.kind, FailureKind::Refused);
        QVERIFY2(o.detail.contains(u"0x13"_qs), qPrintable(o.detail));
        QCOMPARE(rig.phone.requests.size(), 1);
    }

    void damagedRepliesAreAskedAgain()
    {
        Rig rig;
        rig.phone.folders = {"d"};
        rig.phone.files["d/x"] = pattern(400);
        rig.phone.damageReplies = 2;
        const auto listing = QCoro::waitFor(rig.session.listBrewFolder(u"d"_qs));
        QVERIFY2(listing.ok(), qPrintable(listing.outcome.detail));
        QCOMPARE(listing.value.entries.size(), 1);
        rig.phone.damageReplies = 1;
        const auto read = QCoro::waitFor(rig.session.readBrewFile(u"d"_qs, u"x"_qs));
        QVERIFY(read.ok());
        QCOMPARE(read.value, pattern(400));
    }

    void damagedWriteReplyIsReported()
    {
        Rig rig;
        rig.phone.damageReplies = 1;
        const Outcome o = QCoro::waitFor(rig.session.writeBrewData(pattern(10), u"w"_qs)).outcome;
        QCOMPARE(o.kind, FailureKind::Malformed);
        QCOMPARE(rig.phone.requests.size(), 1);
    }

    void folderOperations()
    {
        Rig rig;
        rig.phone.folders = {"brew"};
        QVERIFY(QCoro::waitFor(rig.session.makeBrewFolder(u"brew/"_qs, u"[new]"_qs)).ok());
        QCOMPARE(rig.phone.requests.last(), hex("590009") + "brew/new" + '\0');
        const Outcome again = QCoro::waitFor(rig.session.makeBrewFolder(u"brew"_qs, u"new"_qs));
        QCOMPARE(again.kind, FailureKind::Refused);
        rig.phone.files["brew/new/f"] = "1";
        QCOMPARE(QCoro::waitFor(rig.session.removeBrewEntry(u"[brew/new/]"_qs)).kind, FailureKind::Refused);
        QVERIFY(QCoro::waitFor(rig.session.removeBrewEntry(u"brew/new/f"_qs)).ok());
        QCOMPARE(rig.phone.requests.last(), hex("59060B") + "brew/new/f" + '\0');
        QVERIFY(QCoro::waitFor(rig.session.removeBrewEntry(u"[brew/new/]"_qs)).ok());
        QCOMPARE(rig.phone.requests.last(), hex("59010A") + "brew/new/" + '\0');
        const int before = int(rig.phone.requests.size());
        QVERIFY(QCoro::waitFor(rig.session.removeBrewEntry(u"[..]"_qs)).ok());
        QCOMPARE(rig.phone.requests.size(), before);
        QVERIFY(!rig.phone.folders.contains("brew/new"));
    }

    void readIntoFolderReplacesOnlyWhenComplete_data()
    {
        QTest::addColumn<int>("fault");  // 0 none, 1 silence, 2 pulled cable, 3 cancel
        QTest::newRow("complete") << 0;
        QTest::newRow("silence") << 1;
        QTest::newRow("dropped link") << 2;
        QTest::newRow("cancelled") << 3;
    }
    void readIntoFolderReplacesOnlyWhenComplete()
    {
        QFETCH(int, fault);
        Rig rig(BrewPhone::Split::Random, 5);
        rig.phone.files["big.bin"] = pattern(5000);
        QTemporaryDir dir;
        const QString target = dir.filePath(u"big.bin"_qs);
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old contents");
        }
        if (fault == 1)
            rig.phone.silentAfter = 4;
        if (fault == 2)
            rig.phone.hangUpAfter = 4;
        if (fault == 3)
            connect(&rig.session, &BrewSession::progress, &rig.session, [&rig](qint64 done) {
                if (done > 1000)
                    rig.session.cancelWait();
            });
        const auto r = QCoro::waitFor(rig.session.readBrewFile(QString(), u"big.bin"_qs, dir.path()));
        QFile result(target);
        QVERIFY(result.open(QIODevice::ReadOnly));
        const QByteArray contents = result.readAll();
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"big.bin"_qs});
        if (fault == 0) {
            QVERIFY(r.ok());
            QCOMPARE(contents, pattern(5000));
            return;
        }
        QCOMPARE(contents, QByteArray("old contents"));
        QVERIFY(!r.ok());
        if (fault == 1)
            QCOMPARE(r.outcome.kind, FailureKind::TimeOut);
        if (fault == 2)
            QCOMPARE(r.outcome.kind, FailureKind::LinkLost);
        if (fault == 3)
            QVERIFY(r.outcome.isCancelled());
    }

    void unsafeLocalNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("safe");
        QTest::newRow("plain") << u"a.txt"_qs << true;
        QTest::newRow("dots inside") << u"a..b"_qs << true;
        QTest::newRow("czech") << u"žluťoučký kůň"_qs << true;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("dot") << u"."_qs << false;
        QTest::newRow("dot dot") << u".."_qs << false;
        QTest::newRow("slash") << u"../etc/passwd"_qs << false;
        QTest::newRow("backslash") << u"..\\x"_qs << false;
        QTest::newRow("drive") << u"C:x"_qs << false;
        QTest::newRow("nul") << QString(QChar(0)) << false;
        QTest::newRow("newline") << u"a\nb"_qs << false;
    }
    void unsafeLocalNamesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(bool, safe);
        QCOMPARE(vandrel::brew::safeLocalName(name).has_value(), safe);
        if (safe)
            return;
        Rig rig;
        QTemporaryDir dir;
        const auto r = QCoro::waitFor(rig.session.readBrewFile(QString(), name, dir.path()));
        QCOMPARE(r.outcome.kind, FailureKind::Usage);
        QVERIFY(rig.phone.requests.isEmpty());
    }

    void missingFileAndUnreadableLocalFile()
    {
        Rig rig;
        const auto r = QCoro::waitFor(rig.session.readBrewFile(QString(), u"none"_qs));
        QCOMPARE(r.outcome.kind, FailureKind::NotFound);
        const Outcome w = QCoro::waitFor(rig.session.writeBrewFile(u"/nonexistent/x"_qs, u"x"_qs)).outcome;
        QCOMPARE(w.kind, FailureKind::LocalFile);
        QCOMPARE(rig.phone.requests.size(), 1);
    }

    void closedPortIsALinkFailure()
    {
        Rig rig;
        rig.diag->close();
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(QString()));
        QCOMPARE(r.outcome.kind, FailureKind::LinkLost);
    }

    // Whatever the phone sends, the session ends with a result.
    void randomRepliesNeverCrash()
    {
        for (quint32 seed = 1; seed <= 40; ++seed) {
            FakeSerialChannel *modem = new FakeSerialChannel;
            FakeSerialChannel *diag = new FakeSerialChannel;
            PhoneLink link(modem, diag);
            link.timing().replyLimit = 50ms;
            FakeSerialChannel end;
            FakeSerialChannel::connectPair(diag, &end);
            (void)end.open();
            (void)diag->open();
            QRandomGenerator rng(seed);
            connect(&end, &SerialChannel::readyRead, &end, [&] {
                const QByteArray request = end.readAll();
                QByteArray payload = hex("59") + char(request.size() > 1 ? request[1] : 0);
                for (int i = int(rng.bounded(40)); i > 0; --i)
                    payload += char(rng.bounded(256));
                end.write(rng.bounded(4) == 0 ? payload.left(int(rng.bounded(payload.size() + 1))) + char(0x7E)
                                              : BrewPhone::frame(payload));
            });
            BrewSession session(link);
            (void)QCoro::waitFor(session.listBrewFolder(u"x"_qs));
            (void)QCoro::waitFor(session.readBrewFile(QString(), u"y"_qs));
            (void)QCoro::waitFor(session.writeBrewData(pattern(300), u"z"_qs));
        }
    }
};

class BrewConnectTest : public QObject {
    Q_OBJECT
private slots:
    void listingConnects()
    {
        Rig rig;
        rig.diag->close();
        rig.phone.folders = {"brew"};
        ConnectSession connecting(rig.link, ConnectMode::DiagOnly, false);
        const auto r = QCoro::waitFor(connectBrewAndList(rig.link, connecting, rig.session, u"brew/"_qs, 200ms));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QVERIFY(rig.diag->isOpen());
        QVERIFY(r.value.freeBytes.has_value());
        QVERIFY(!rig.link.diagSilenceTimer().isActive());
    }

    void silenceEndsTheConnection()
    {
        Rig rig;
        rig.diag->close();
        rig.phone.silentAfter = 0;
        rig.link.timing().replyLimit = 10s;
        ConnectSession connecting(rig.link, ConnectMode::DiagOnly, false);
        const auto r = QCoro::waitFor(connectBrewAndList(rig.link, connecting, rig.session, QString(), 50ms));
        QCOMPARE(r.outcome.kind, FailureKind::TimeOut);
        QVERIFY(r.outcome.isFailed());
    }
};

class PhoneModesTest : public QObject {
    Q_OBJECT
private slots:
    // Online from the modem port: the modem port closes, the request goes out on the diagnostic
    // port, and the phone's echo brings the modem port back.
    void switchAndComeBack()
    {
        Rig rig;
        rig.diag->close();
        QVERIFY(!rig.modem->open());
        PhoneModes modes(rig.link);
        QSignalSpy back(&modes, &PhoneModes::backOnModemPort);
        QVERIFY(modes.switchMode(PhoneMode::Online));
        QVERIFY(back.wait(1000));
        QCOMPARE(rig.phone.requests, QList<QByteArray>{hex("290400")});
        QVERIFY(rig.modem->isOpen());
        QVERIFY(!rig.diag->isOpen());
    }

    void switchFailsQuietlyWhenTheDiagnosticPortWillNotOpen()
    {
        Rig rig;
        rig.diag->close();
        rig.diag->failOpen({OpenError::Kind::Busy, u"busy"_qs});
        QVERIFY(!rig.modem->open());
        PhoneModes modes(rig.link);
        QVERIFY(!modes.switchMode(PhoneMode::Offline));
        QVERIFY(rig.phone.requests.isEmpty());
    }

    void resetCompletesOnItsEcho()
    {
        Rig rig;
        PhoneModes modes(rig.link);
        modes.setObexAccess(false);
        QSignalSpy restarted(&modes, &PhoneModes::restarted);
        QVERIFY(modes.resetOverDiag());
        QVERIFY(restarted.wait(1000));
        QVERIFY(!rig.diag->isOpen());
        QTRY_COMPARE(rig.phone.requests, (QList<QByteArray>{hex("290100"), hex("290200")}));
    }

    void commandLineModeWaitsForTheEcho()
    {
        Rig rig;
        PhoneModes modes(rig.link);
        QVERIFY(QCoro::waitFor(modes.requestMode(PhoneMode::Offline)).ok());
        QVERIFY(rig.diag->isOpen());
        QVERIFY(QCoro::waitFor(modes.requestMode(PhoneMode::ResetRequest)).ok());
        QVERIFY(!rig.diag->isOpen());
        QTRY_COMPARE(rig.phone.requests, (QList<QByteArray>{hex("290500"), hex("290100"), hex("290200")}));
        Rig silent;
        silent.phone.silentAfter = 0;
        PhoneModes quiet(silent.link);
        QCOMPARE(QCoro::waitFor(quiet.requestMode(PhoneMode::Online)).kind, FailureKind::TimeOut);
    }

};

class BrewCopyTest : public QObject {
    Q_OBJECT
private slots:
    void treeRoundTrip()
    {
        Rig rig(BrewPhone::Split::Random, 11);
        rig.phone.folders = {"brew", "brew/mod", "brew/mod/game", "brew/mod/game/deep"};
        rig.phone.files["brew/mod/game/a.bin"] = pattern(300);
        rig.phone.files["brew/mod/game/deep/b.txt"] = "bee";
        rig.phone.files["brew/mod/game/empty"] = {};
        FixedAsker asker(Answer::Yes);
        OverwriteQuestions questions(asker);
        BrewCopier copier(rig.session, questions);
        QTemporaryDir dir;
        QVERIFY(QCoro::waitFor(copier.getFolder(u"brew/mod/game"_qs, dir.path())).ok());
        QFile a(dir.filePath(u"game/a.bin"_qs));
        QVERIFY(a.open(QIODevice::ReadOnly));
        QCOMPARE(a.readAll(), pattern(300));
        QVERIFY(QFileInfo::exists(dir.filePath(u"game/deep/b.txt"_qs)));
        QCOMPARE(QFileInfo(dir.filePath(u"game/empty"_qs)).size(), 0);

        QVERIFY(QCoro::waitFor(copier.putFolder(dir.filePath(u"game"_qs), u"brew"_qs)).ok());
        QCOMPARE(rig.phone.files.value("brew/game/a.bin"), pattern(300));
        QCOMPARE(rig.phone.files.value("brew/game/deep/b.txt"), QByteArray("bee"));
        QVERIFY(rig.phone.files.contains("brew/game/empty"));

        QVERIFY(QCoro::waitFor(copier.removeFolder(u"brew/game/"_qs)).ok());
        QVERIFY(!rig.phone.folders.contains("brew/game"));
        QVERIFY(!rig.phone.folders.contains("brew/game/deep"));
        QVERIFY(rig.phone.requests.contains(hex("59010B") + "brew/game/" + '\0'));
        QVERIFY(rig.phone.files.contains("brew/mod/game/a.bin"));
    }

    void overwriteAnswers_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QByteArray>("phoneAfter");
        QTest::addColumn<bool>("ok");
        QTest::newRow("yes") << int(Answer::Yes) << QByteArray("new") << true;
        QTest::newRow("no") << int(Answer::No) << QByteArray("old") << true;
        QTest::newRow("cancel") << int(Answer::Cancel) << QByteArray("old") << false;
    }
    void overwriteAnswers()
    {
        QFETCH(int, answer);
        QFETCH(QByteArray, phoneAfter);
        QFETCH(bool, ok);
        Rig rig;
        rig.phone.folders = {"d"};
        rig.phone.files["d/f.txt"] = "old";
        QTemporaryDir dir;
        QFile f(dir.filePath(u"f.txt"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("new");
        f.close();
        FixedAsker asker{Answer(answer)};
        OverwriteQuestions questions(asker);
        BrewCopier copier(rig.session, questions);
        const Outcome put = QCoro::waitFor(copier.putFile(f.fileName(), u"d"_qs));
        QCOMPARE(put.ok(), ok);
        QCOMPARE(rig.phone.files.value("d/f.txt"), phoneAfter);
        const Outcome get = QCoro::waitFor(copier.getFile(u"d/f.txt"_qs, f.fileName()));
        QCOMPARE(get.ok(), ok);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), answer == int(Answer::Yes) ? phoneAfter : QByteArray("new"));
    }

    // The phone refusing the first block of a replacement has written nothing: the old file
    // stays, nothing is left to clean up, and the message says so.
    void refusedReplacementKeepsTheOldFile()
    {
        Rig rig;
        rig.phone.folders = {"d"};
        rig.phone.files["d/f.txt"] = "old";
        rig.phone.refuseWrites = 1;
        QTemporaryDir dir;
        QFile f(dir.filePath(u"f.txt"_qs));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("new");
        f.close();
        FixedAsker asker(Answer::Yes);
        OverwriteQuestions questions(asker);
        BrewCopier copier(rig.session, questions);
        const Outcome put = QCoro::waitFor(copier.putFile(f.fileName(), u"d/"_qs));
        QCOMPARE(put.kind, FailureKind::Refused);
        QVERIFY2(put.detail.contains(u"Nothing was written"_qs) && !put.detail.contains(u"gone"_qs), qPrintable(put.detail));
        QCOMPARE(rig.phone.files.value("d/f.txt"), QByteArray("old"));
        QCOMPARE(copier.takeUnfinishedWrite(), QString());
    }

    void namesFromThePhoneStayInTheFolder()
    {
        Rig rig;
        rig.phone.folders = {"d"};
        rig.phone.files["d/.."] = "evil";
        rig.phone.files["d/a\\b"] = "evil";
        rig.phone.files["d/ok"] = "fine";
        FixedAsker asker(Answer::Yes);
        OverwriteQuestions questions(asker);
        BrewCopier copier(rig.session, questions);
        QTemporaryDir dir;
        const QString inner = dir.filePath(u"in"_qs);
        QVERIFY(QDir().mkpath(inner));
        const Outcome o = QCoro::waitFor(copier.getFolder(u"d"_qs, inner));
        QCOMPARE(o.kind, FailureKind::Malformed);
        QCOMPARE(QDir(inner + u"/d"_qs).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"ok"_qs});
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"in"_qs});
    }

    void lookupTellsFilesFromFolders()
    {
        Rig rig;
        rig.phone.folders = {"d", "d/e"};
        rig.phone.files["d/f"] = "1";
        FixedAsker asker(Answer::Yes);
        OverwriteQuestions questions(asker);
        BrewCopier copier(rig.session, questions);
        QVERIFY(QCoro::waitFor(copier.lookup(u"d/e/"_qs)).value.isFolder);
        QVERIFY(!QCoro::waitFor(copier.lookup(u"d/f"_qs)).value.isFolder);
        QVERIFY(QCoro::waitFor(copier.lookup(QString())).value.isFolder);
        QCOMPARE(QCoro::waitFor(copier.lookup(u"d/g"_qs)).outcome.kind, FailureKind::NotFound);
    }
};

VANDREL_TEST(BrewSessionTest)
VANDREL_TEST(BrewConnectTest)
VANDREL_TEST(PhoneModesTest)
VANDREL_TEST(BrewCopyTest)
#include "tst_brew_session.moc"
