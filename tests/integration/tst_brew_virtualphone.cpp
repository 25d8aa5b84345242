#include "common/testmain.h"
#include "link/tst_brew_phone.h"
#include "phone-sim/rig.h"

#include <link/brewcopy.h>
#include <link/brewsession.h>
#include <link/phonemodes.h>

#include <phone-sim/diagport.h>
#include <phone-sim/virtualphone.h>

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel;
using namespace vandrel::link;
using namespace std::chrono_literals;

namespace {

using brewtest::hex;
using brewtest::pattern;

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The virtual phone in-process, its replies split at random, and a link to it.
struct Rig {
    QTemporaryDir dir{rig::scratchTemplate()};
    phonesim::VirtualPhone phone{dir.path() + QStringLiteral("/phone")};
    phonesim::VirtualPhone::ClientEnds ends = phone.plugInProcess();
    PhoneLink link{ends.modem, ends.diag};
    BrewSession session{link};

    explicit Rig(quint32 seed = 1)
    {
        phone.controls().splitRandomly(seed);
        link.timing().replyLimit = 3000ms;
        (void)ends.diag->open();
    }
    QString brew(const QString &rel) const { return phone.brewRoot() + QLatin1Char('/') + rel; }
    // The request payloads this client wrote, decoded with the test's own frame code.
    QList<QByteArray> sent() const { return rig::payloads(ends.diag->written()); }
    QList<QByteArray> sentStarting(const QByteArray &prefix) const
    {
        QList<QByteArray> out;
        for (const auto &p : sent())
            if (p.startsWith(prefix))
                out << p;
        return out;
    }
};

#define VERIFY_NO_ANOMALIES(rig) QVERIFY2((rig).phone.anomalies().isEmpty(), qPrintable((rig).phone.anomalies().join(u'\n')))

} // namespace

class BrewVirtualPhoneTest : public QObject {
    Q_OBJECT
private slots:
    void listings_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("firstRequest");
        QTest::addColumn<QStringList>("someRows");
        QTest::newRow("root") << QString() << hex("590A0000000002") + "/" + '\0'
                              << QStringList{u"[brew]"_qs, u"pbm_master_v_20.dat"_qs};
        QTest::newRow("brew/mod/") << u"brew/mod/"_qs << hex("590A0000000009") + "brew/mod" + '\0'
                                   << QStringList{u"[..]"_qs, u"[clock]"_qs, u"[empty]"_qs, u"[game]"_qs};
        QTest::newRow("game") << u"brew/mod/game"_qs << hex("590A000000000E") + "brew/mod/game" + '\0'
                              << QStringList{u"[..]"_qs, u"[save]"_qs, u"game.mif"_qs, u"game.mod"_qs};
        QTest::newRow("cp1250 name") << u"brew/shared"_qs << hex("590A000000000C") + "brew/shared" + '\0'
                                     << QStringList{u"[..]"_qs, u"Písnička.txt"_qs, u"readme.txt"_qs};
    }
    void listings()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, firstRequest);
        QFETCH(QStringList, someRows);
        Rig rig(7);
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(path, true));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QStringList captions;
        for (const auto &e : r.value.paneRows())
            captions << e.caption();
        for (const QString &row : someRows)
            QVERIFY2(captions.contains(row), qPrintable(captions.join(u", "_qs)));
        for (const auto &e : r.value.entries)
            if (e.isFolder)
                QCOMPARE(e.sizeText, u"  <DIR>"_qs);
        QCOMPARE(rig.sent().first(), firstRequest);
        QCOMPARE(rig.sent().last(), hex("590C01"));
        QVERIFY(r.value.freeBytes.value_or(0) > 0);
        VERIFY_NO_ANOMALIES(rig);
    }

    void longListings_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("format");
        QTest::newRow("310 files") << u"brew/mod/many-files"_qs << 310 << u"file%1.dat"_qs;
        QTest::newRow("140 folders") << u"brew/mod/many-folders/"_qs << 140 << u"dir%1"_qs;
    }
    void longListings()
    {
        QFETCH(QString, path);
        QFETCH(int, count);
        QFETCH(QString, format);
        Rig rig(3);
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(path));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value.entries.size(), count);
        for (int i = 0; i < count; ++i)
            QCOMPARE(r.value.entries.at(i).name, format.arg(i, 3, 10, QLatin1Char('0')));
        VERIFY_NO_ANOMALIES(rig);
    }

    void missingFolder()
    {
        Rig rig;
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(u"brew/nothing"_qs));
        QCOMPARE(r.outcome.kind, FailureKind::NotFound);
        VERIFY_NO_ANOMALIES(rig);
    }

    void readFromTheRoot()
    {
        Rig rig(5);
        const auto r = QCoro::waitFor(rig.session.readBrewFile(QString(), u"pbm_master_v_20.dat"_qs));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value, fileBytes(rig.brew(u"pbm_master_v_20.dat"_qs)));
        QCOMPARE(rig.sent().first(), hex("59040014") + "pbm_master_v_20.dat" + '\0');
        VERIFY_NO_ANOMALIES(rig);
    }

    void roundTrips_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {0, 1, 255, 256, 257, 100000})
            QTest::newRow(QByteArray::number(size).constData()) << size;
    }
    void roundTrips()
    {
        QFETCH(int, size);
        Rig rig(quint32(size) + 1);
        const QByteArray data = pattern(size);
        const Outcome w = QCoro::waitFor(rig.session.writeBrewData(data, u"brew/shared/t.bin"_qs)).outcome;
        QVERIFY2(w.ok(), qPrintable(w.detail));
        QCOMPARE(fileBytes(rig.brew(u"brew/shared/t.bin"_qs)), data);
        QTemporaryDir local;
        const auto r = QCoro::waitFor(rig.session.readBrewFile(u"brew/shared/"_qs, u"t.bin"_qs, local.path()));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value, data);
        QCOMPARE(fileBytes(local.filePath(u"t.bin"_qs)), data);
        VERIFY_NO_ANOMALIES(rig);
    }

    void writeBlocks_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QList<QByteArray>>("heads");
        QTest::newRow("300") << 300 << QList<QByteArray>{hex("5905000101") + hex("2C010000FF0001000E") + "brew/shared/w" + '\0' + hex("0001"), hex("590501002C00")};
        QTest::newRow("100") << 100 << QList<QByteArray>{hex("5905000001") + hex("64000000FF0001000E") + "brew/shared/w" + '\0' + hex("6400"), hex("590501000000")};
    }
    void writeBlocks()
    {
        QFETCH(int, size);
        QFETCH(QList<QByteArray>, heads);
        Rig rig(9);
        QVERIFY(QCoro::waitFor(rig.session.writeBrewData(pattern(size), u"brew/shared/w"_qs)).outcome.ok());
        const auto writes = rig.sentStarting(hex("5905"));
        QCOMPARE(writes.size(), heads.size());
        for (int i = 0; i < heads.size(); ++i)
            QCOMPARE(writes.at(i).left(heads.at(i).size()).toHex(' '), heads.at(i).toHex(' '));
        QCOMPARE(writes.at(0).size() + writes.at(1).size() - heads.at(0).size() - heads.at(1).size(), qsizetype(size));
        VERIFY_NO_ANOMALIES(rig);
    }

    void refusedReadRestarts()
    {
        Rig rig;
        rig.phone.controls().refuseNextRead(2);
        const auto r = QCoro::waitFor(rig.session.readBrewFile(u"brew/mod/clock/"_qs, u"clock.mod"_qs));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value, fileBytes(rig.brew(u"brew/mod/clock/clock.mod"_qs)));
        rig.phone.controls().refuseNextRead(BrewSession::kReadRestarts + 1);
        const auto refused = QCoro::waitFor(rig.session.readBrewFile(u"brew/mod/clock/"_qs, u"clock.mod"_qs));
        QCOMPARE(refused.outcome.kind, FailureKind::Refused);
        VERIFY_NO_ANOMALIES(rig);
    }

    void refusedWrite()
    {
        Rig rig;
        rig.phone.controls().refuseNextWrite();
        const Outcome o = QCoro::waitFor(rig.session.writeBrewData(pattern(600), u"brew/shared/r.bin"_qs)).outcome;
        QCOMPARE(o.kind, FailureKind::Refused);
        QVERIFY(o.isFailed());
        VERIFY_NO_ANOMALIES(rig);
    }

    void damagedReplyIsAskedAgain()
    {
        Rig rig;
        rig.phone.controls().breakNextCrc();
        const auto r = QCoro::waitFor(rig.session.listBrewFolder(u"brew/mod/clock"_qs));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value.entries.size(), 3);
        VERIFY_NO_ANOMALIES(rig);
    }

    void faultsLeaveNoPartialFile_data()
    {
        QTest::addColumn<bool>("drop");
        QTest::newRow("silence") << false;
        QTest::newRow("dropped link") << true;
    }
    void faultsLeaveNoPartialFile()
    {
        QFETCH(bool, drop);
        Rig rig(21);
        rig.link.timing().replyLimit = 300ms;
        if (drop)
            rig.phone.controls().dropLinkAfter(20000, phonesim::Controls::Diag);
        else
            rig.phone.controls().goSilentAfter(20000, phonesim::Controls::Diag);
        QTemporaryDir local;
        const auto r = QCoro::waitFor(rig.session.readBrewFile(u"brew/mod/game"_qs, u"game.mod"_qs, local.path()));
        QVERIFY(r.outcome.isFailed());
        QCOMPARE(r.outcome.kind, drop ? FailureKind::LinkLost : FailureKind::TimeOut);
        QVERIFY(QDir(local.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
        VERIFY_NO_ANOMALIES(rig);
    }

    void modes()
    {
        Rig rig;
        PhoneModes modes(rig.link);
        QVERIFY(QCoro::waitFor(modes.requestMode(PhoneMode::Offline)).ok());
        QVERIFY(QCoro::waitFor(modes.requestMode(PhoneMode::Online)).ok());
        QVERIFY(QCoro::waitFor(modes.requestMode(PhoneMode::FactoryMode)).ok());
        QVERIFY(QCoro::waitFor(modes.requestMode(PhoneMode::ResetRequest)).ok());
        QTRY_COMPARE(rig.phone.diag()->modeChanges(), (QList<int>{5, 4, 3, 1, 2}));
        QVERIFY(!rig.ends.diag->isOpen());
        VERIFY_NO_ANOMALIES(rig);
    }

    void treeCopies()
    {
        Rig rig(31);
        FixedAsker asker(Answer::Yes);
        OverwriteQuestions questions(asker);
        BrewCopier copier(rig.session, questions);
        QTemporaryDir local;
        QVERIFY(QCoro::waitFor(copier.getFolder(u"brew/mod/game"_qs, local.path())).ok());
        QCOMPARE(fileBytes(local.filePath(u"game/save/slot1.sav"_qs)), fileBytes(rig.brew(u"brew/mod/game/save/slot1.sav"_qs)));
        QCOMPARE(fileBytes(local.filePath(u"game/game.mod"_qs)), fileBytes(rig.brew(u"brew/mod/game/game.mod"_qs)));
        QVERIFY(QCoro::waitFor(copier.putFolder(local.filePath(u"game"_qs), u"brew/shared"_qs)).ok());
        QCOMPARE(fileBytes(rig.brew(u"brew/shared/game/save/slot1.sav"_qs)), fileBytes(local.filePath(u"game/save/slot1.sav"_qs)));
        // Again: every file exists and is replaced.
        QVERIFY(QCoro::waitFor(copier.putFolder(local.filePath(u"game"_qs), u"brew/shared"_qs)).ok());
        QCOMPARE(fileBytes(rig.brew(u"brew/shared/game/game.mif"_qs)), fileBytes(local.filePath(u"game/game.mif"_qs)));
        QVERIFY(QCoro::waitFor(copier.removeFolder(u"brew/shared/game"_qs)).ok());
        QVERIFY(!QFileInfo::exists(rig.brew(u"brew/shared/game"_qs)));
        QVERIFY(rig.sent().contains(hex("590112") + "brew/shared/game/" + '\0'));
        VERIFY_NO_ANOMALIES(rig);
    }
};

VANDREL_TEST(BrewVirtualPhoneTest)
#include "tst_brew_virtualphone.moc"
