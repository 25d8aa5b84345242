// The BREW window's operations against the virtual phone, its replies split at random.
#include "common/testmain.h"
#include "integration/brewtransferrig.h"

#include <core/explorer/direntry.h>
#include <link/brewtransfer.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel;
using namespace vandrel::link;
using namespace std::chrono_literals;
using brewrig::allEntries;
using brewrig::fileBytes;
using brewrig::nameRequest;
using brewrig::putFile;

Q_DECLARE_METATYPE(vandrel::link::Answer)

namespace {

struct Rig {
    itest::PhoneRig phone;
    brewrig::ScriptedAsker asker;
    BrewTransfer transfer{*phone.link, asker};
    QTemporaryDir local;

    explicit Rig(quint32 seed = 1) : phone(seed)
    {
        (void)phone.diag->open();
    }
    QString brew(const QString &rel) const { return phone.phone->brewRoot() + QLatin1Char('/') + rel; }
    QString here(const QString &rel) const { return local.filePath(rel); }
    QStringList listedCaptions() const
    {
        QStringList out;
        for (const auto &e : transfer.listing().paneRows())
            out << e.caption();
        return out;
    }
    QList<QByteArray> sentStarting(const QByteArray &hexPrefix) const
    {
        QList<QByteArray> out;
        for (const QByteArray &p : brewrig::sentPayloads(phone))
            if (p.startsWith(QByteArray::fromHex(hexPrefix)))
                out << p;
        return out;
    }
};

#define VERIFY_OK(o) QVERIFY2((o).ok(), qPrintable((o).detail))
#define VERIFY_NO_ANOMALIES(rig) QVERIFY2((rig).phone.anomalies().isEmpty(), qPrintable((rig).phone.anomalies()))

} // namespace

class BrewTransferPhoneTest : public QObject {
    Q_OBJECT
private slots:
    // Two folders in one selection: one warning at most, and only with the setting on.
    void deleteWarnsOnce_data()
    {
        QTest::addColumn<bool>("setting");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<bool>("removed");
        QTest::newRow("on, yes") << true << Answer::Yes << 1 << true;
        QTest::newRow("on, no") << true << Answer::No << 1 << false;
        QTest::newRow("on, cancel") << true << Answer::Cancel << 1 << false;
        QTest::newRow("off") << false << Answer::No << 0 << true;
    }
    void deleteWarnsOnce()
    {
        QFETCH(bool, setting);
        QFETCH(Answer, answer);
        QFETCH(int, warnings);
        QFETCH(bool, removed);
        Rig rig(3);
        QVERIFY(putFile(rig.brew(u"brew/shared/a/one.txt"_qs), "1"));
        QVERIFY(putFile(rig.brew(u"brew/shared/a/deep/two.txt"_qs), "22"));
        QVERIFY(putFile(rig.brew(u"brew/shared/b/three.txt"_qs), "333"));
        rig.asker.fallback = answer;
        const Outcome o = QCoro::waitFor(
            rig.transfer.remove(u"brew/shared/"_qs, {u"[..]"_qs, u"[a]"_qs, u"[b]"_qs, u"readme.txt"_qs}, setting));
        QCOMPARE(rig.asker.goOnQuestions, QStringList(warnings, u"<223>"_qs));
        QCOMPARE(o.ok(), removed);
        QCOMPARE(QFileInfo::exists(rig.brew(u"brew/shared/a"_qs)), !removed);
        QCOMPARE(QFileInfo::exists(rig.brew(u"brew/shared/b"_qs)), !removed);
        QCOMPARE(QFileInfo::exists(rig.brew(u"brew/shared/readme.txt"_qs)), !removed);
        if (removed) {
            // The folder itself goes with its path ending in "/", after its contents.
            QCOMPARE(rig.sentStarting("5901"),
                     (QList<QByteArray>{nameRequest("5901", "brew/shared/a/deep/"), nameRequest("5901", "brew/shared/a/"),
                                        nameRequest("5901", "brew/shared/b/")}));
        } else {
            QVERIFY(rig.sentStarting("5901").isEmpty());
            QVERIFY(rig.sentStarting("5906").isEmpty());
        }
        // Stopped or not, the folder is listed again.
        QVERIFY(rig.transfer.hasListing());
        QCOMPARE(rig.transfer.listing().path, u"brew/shared/"_qs);
        QCOMPARE(rig.listedCaptions().contains(u"[a]"_qs), !removed);
        VERIFY_NO_ANOMALIES(rig);
    }

    // A file the phone will not remove: caption + message 52; only Yes goes on.
    void failedRemovalAsks_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("secondRemoved");
        QTest::newRow("yes goes on") << Answer::Yes << true;
        QTest::newRow("no stops") << Answer::No << false;
        QTest::newRow("cancel stops") << Answer::Cancel << false;
    }
    void failedRemovalAsks()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, secondRemoved);
        Rig rig(4);
        QVERIFY(putFile(rig.brew(u"brew/shared/locked.txt"_qs), "L"));
        QVERIFY(QFile::setPermissions(rig.brew(u"brew/shared/locked.txt"_qs), QFileDevice::ReadOwner));
        rig.asker.fallback = answer;
        const Outcome o =
            QCoro::waitFor(rig.transfer.remove(u"brew/shared"_qs, {u"locked.txt"_qs, u"readme.txt"_qs}, true));
        QCOMPARE(rig.asker.goOnQuestions, QStringList{u"locked.txt<52>"_qs});
        QCOMPARE(o.ok(), secondRemoved);
        QVERIFY(!o.isFailed());
        QVERIFY(QFileInfo::exists(rig.brew(u"brew/shared/locked.txt"_qs)));
        QCOMPARE(QFileInfo::exists(rig.brew(u"brew/shared/readme.txt"_qs)), !secondRemoved);
        QVERIFY(rig.transfer.hasListing());
        VERIFY_NO_ANOMALIES(rig);
    }

    // Inside a folder being deleted: the file's name + 52, and the folder that then stays.
    void failedRemovalInsideAFolder()
    {
        Rig rig(5);
        QVERIFY(putFile(rig.brew(u"brew/shared/d/locked.txt"_qs), "L"));
        QVERIFY(putFile(rig.brew(u"brew/shared/d/free.txt"_qs), "F"));
        QVERIFY(QFile::setPermissions(rig.brew(u"brew/shared/d/locked.txt"_qs), QFileDevice::ReadOwner));
        rig.asker.goOnAnswers << Answer::Yes << Answer::Yes << Answer::Yes;
        const Outcome o = QCoro::waitFor(rig.transfer.remove(u"brew/shared/"_qs, {u"[d]"_qs}, true));
        VERIFY_OK(o);
        QCOMPARE(rig.asker.goOnQuestions, (QStringList{u"<223>"_qs, u"locked.txt<52>"_qs, u"[d]<52>"_qs}));
        QVERIFY(!QFileInfo::exists(rig.brew(u"brew/shared/d/free.txt"_qs)));
        QVERIFY(QFileInfo::exists(rig.brew(u"brew/shared/d/locked.txt"_qs)));
        VERIFY_NO_ANOMALIES(rig);
    }

    // [pics] to the phone: the folder is made in the pane's folder, entered, and every file
    // written; an existing phone file is asked about with its phone path.
    void uploadAFolder()
    {
        Rig rig(6);
        const QByteArray big = brewtest::pattern(700);
        QVERIFY(putFile(rig.here(u"pics/a.bmp"_qs), big));
        QVERIFY(putFile(rig.here(u"pics/b.txt"_qs), "new b"));
        QVERIFY(putFile(rig.here(u"pics/inner/c.txt"_qs), "c"));
        QVERIFY(putFile(rig.here(u"top.txt"_qs), "top"));
        QVERIFY(putFile(rig.brew(u"brew/shared/pics/b.txt"_qs), "old b"));
        QSignalSpy done(&rig.transfer, &BrewTransfer::entryDone);
        const Outcome o = QCoro::waitFor(
            rig.transfer.upload(u"brew/shared/"_qs, {u"[..]"_qs, u"[pics]"_qs, u"top.txt"_qs}, rig.local.path()));
        VERIFY_OK(o);
        QCOMPARE(rig.asker.overwriteQuestions, QStringList{u"brew/shared/pics/b.txt<54>"_qs});
        QCOMPARE(fileBytes(rig.brew(u"brew/shared/pics/a.bmp"_qs)), big);
        QCOMPARE(fileBytes(rig.brew(u"brew/shared/pics/b.txt"_qs)), QByteArray("new b"));
        QCOMPARE(fileBytes(rig.brew(u"brew/shared/pics/inner/c.txt"_qs)), QByteArray("c"));
        QCOMPARE(fileBytes(rig.brew(u"brew/shared/top.txt"_qs)), QByteArray("top"));
        QCOMPARE(rig.sentStarting("5900").value(0), nameRequest("5900", "brew/shared/pics"));
        QCOMPARE(done.size(), 2);
        QVERIFY(rig.listedCaptions().contains(u"[pics]"_qs));
        QVERIFY(rig.listedCaptions().contains(u"top.txt"_qs));
        VERIFY_NO_ANOMALIES(rig);
    }

    // Yes to all replaces every further file without asking, No to all skips them; both
    // directions.
    void answersForAll_data()
    {
        QTest::addColumn<bool>("toPhone");
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QList<bool>>("replaced");
        for (const bool toPhone : {true, false}) {
            const char *dir = toPhone ? "to the phone" : "from the phone";
            QTest::addRow("%s, yes to all", dir) << toPhone << QList<Answer>{Answer::YesToAll} << 1
                                                << QList<bool>{true, true, true};
            QTest::addRow("%s, no to all", dir) << toPhone << QList<Answer>{Answer::NoToAll} << 1
                                               << QList<bool>{false, false, false};
            QTest::addRow("%s, no then yes to all", dir) << toPhone << QList<Answer>{Answer::No, Answer::YesToAll} << 2
                                                        << QList<bool>{false, true, true};
            QTest::addRow("%s, one by one", dir) << toPhone << QList<Answer>{Answer::Yes, Answer::No, Answer::Yes} << 3
                                                << QList<bool>{true, false, true};
        }
    }
    void answersForAll()
    {
        QFETCH(bool, toPhone);
        QFETCH(QList<Answer>, answers);
        QFETCH(int, questions);
        QFETCH(QList<bool>, replaced);
        Rig rig(7);
        const QStringList names{u"f1.txt"_qs, u"f2.txt"_qs, u"f3.txt"_qs};
        for (const QString &n : names) {
            QVERIFY(putFile(rig.here(n), "computer " + n.toLatin1()));
            QVERIFY(putFile(rig.brew(u"brew/shared/"_qs + n), "phone " + n.toLatin1()));
        }
        for (const Answer a : answers)
            rig.asker.overwriteAnswers.enqueue(a);
        rig.asker.fallback = Answer::Cancel; // a question too many stops the test's operation
        const Outcome o = toPhone ? QCoro::waitFor(rig.transfer.upload(u"brew/shared"_qs, names, rig.local.path()))
                                  : QCoro::waitFor(rig.transfer.download(u"brew/shared"_qs, names, rig.local.path()));
        VERIFY_OK(o);
        QCOMPARE(rig.asker.overwriteQuestions.size(), questions);
        const QString folder = toPhone ? u"brew/shared/"_qs : QDir::toNativeSeparators(rig.local.path() + u"/"_qs);
        QCOMPARE(rig.asker.overwriteQuestions.first(), folder + u"f1.txt<54>"_qs);
        for (int i = 0; i < names.size(); ++i) {
            const QByteArray newer = (toPhone ? "computer " : "phone ") + names[i].toLatin1();
            const QByteArray older = (toPhone ? "phone " : "computer ") + names[i].toLatin1();
            const QString target = toPhone ? rig.brew(u"brew/shared/"_qs + names[i]) : rig.here(names[i]);
            QCOMPARE(fileBytes(target), replaced[i] ? newer : older);
        }
        VERIFY_NO_ANOMALIES(rig);
    }

    // A local file that cannot be replaced (a folder stands in its place): its name + 52;
    // only Yes goes on with the next row.
    void failedLocalReplacementAsks_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("nextCopied");
        QTest::newRow("yes goes on") << Answer::Yes << true;
        QTest::newRow("no stops") << Answer::No << false;
    }
    void failedLocalReplacementAsks()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, nextCopied);
        Rig rig(17);
        QVERIFY(QDir().mkpath(rig.here(u"readme.txt/inside"_qs)));
        QVERIFY(putFile(rig.brew(u"brew/shared/next.txt"_qs), "next"));
        rig.asker.overwriteAnswers << Answer::Yes;
        rig.asker.goOnAnswers << answer;
        const Outcome o =
            QCoro::waitFor(rig.transfer.download(u"brew/shared"_qs, {u"readme.txt"_qs, u"next.txt"_qs}, rig.local.path()));
        QCOMPARE(rig.asker.goOnQuestions, QStringList{u"readme.txt<52>"_qs});
        QVERIFY(QFileInfo(rig.here(u"readme.txt/inside"_qs)).isDir());
        QCOMPARE(o.ok(), nextCopied);
        QVERIFY(!o.isFailed());
        const QStringList expected = nextCopied ? QStringList{u"next.txt"_qs, u"readme.txt"_qs} : QStringList{u"readme.txt"_qs};
        QCOMPARE(allEntries(rig.local.path()), expected);
        VERIFY_NO_ANOMALIES(rig);
    }

    // Folders and files from the phone; a selected "[..]" is passed over.
    void downloadFoldersAndFiles()
    {
        Rig rig(8);
        QSignalSpy done(&rig.transfer, &BrewTransfer::entryDone);
        const Outcome o = QCoro::waitFor(
            rig.transfer.download(u"brew/mod"_qs, {u"[..]"_qs, u"[game]"_qs, u"[empty]"_qs}, rig.local.path()));
        VERIFY_OK(o);
        QCOMPARE(allEntries(rig.local.path()), (QStringList{u"empty"_qs, u"game"_qs}));
        QCOMPARE(fileBytes(rig.here(u"game/save/slot1.sav"_qs)), fileBytes(rig.brew(u"brew/mod/game/save/slot1.sav"_qs)));
        QCOMPARE(fileBytes(rig.here(u"game/game.mod"_qs)), fileBytes(rig.brew(u"brew/mod/game/game.mod"_qs)));
        QCOMPARE(done.size(), 2);
        QCOMPARE(rig.transfer.listing().path, u"brew/mod/"_qs);
        QVERIFY(rig.listedCaptions().contains(u"[game]"_qs));
        VERIFY_NO_ANOMALIES(rig);
    }

    // Cancelled in the middle of a file: the wait ends, no partial file on either side, and
    // the folder is listed again.
    void cancelInTheMiddle_data()
    {
        QTest::addColumn<int>("brewState");
        QTest::newRow("copy from the phone") << 12;
        QTest::newRow("copy to the phone") << 7;
        QTest::newRow("write one file") << 6;
    }
    void cancelInTheMiddle()
    {
        QFETCH(int, brewState);
        const bool toPhone = brewState != 12;
        Rig rig(9);
        rig.phone.phone->controls().delayReplies(15, phonesim::Controls::Diag);
        const QByteArray data = brewtest::pattern(60000);
        QVERIFY(putFile(toPhone ? rig.here(u"big.bin"_qs) : rig.brew(u"brew/shared/big.bin"_qs), data));
        qint64 moved = 0;
        connect(&rig.transfer, &BrewTransfer::progressChanged, &rig.transfer, [&](qint64 value, qint64) {
            moved = value;
            if (value >= 2048)
                rig.transfer.cancel();
        });
        const QStringList rows{u"big.bin"_qs, u"readme.txt"_qs};
        Outcome o;
        if (brewState == 12)
            o = QCoro::waitFor(rig.transfer.download(u"brew/shared"_qs, rows, rig.local.path()));
        else if (brewState == 7)
            o = QCoro::waitFor(rig.transfer.upload(u"brew/shared"_qs, rows, rig.local.path()));
        else
            o = QCoro::waitFor(rig.transfer.writeFile(rig.here(u"big.bin"_qs), u"brew/shared/big.bin"_qs));
        QVERIFY2(o.isCancelled(), qPrintable(o.detail));
        QVERIFY(moved < data.size());
        // No part of the file is left on the side it was going to.
        if (toPhone)
            QVERIFY(!QFileInfo::exists(rig.brew(u"brew/shared/big.bin"_qs)));
        else
            QCOMPARE(allEntries(rig.local.path()), QStringList());
        QCOMPARE(rig.transfer.hasListing(), brewState != 6);
        if (brewState != 6)
            QCOMPARE(rig.listedCaptions().contains(u"big.bin"_qs), !toPhone);
        // The next operation finds the port as it should be.
        const auto r = QCoro::waitFor(rig.transfer.readFile(u"brew/shared/readme.txt"_qs, QString()));
        VERIFY_OK(r.outcome);
        QCOMPARE(r.value, fileBytes(rig.brew(u"brew/shared/readme.txt"_qs)));
        VERIFY_NO_ANOMALIES(rig);
    }

    // A refused first block has written nothing: the phone's file stays as it was. A refusal
    // after accepted blocks has cut the old file off: the rest is removed, and the message
    // says the old file is gone. Both for uploads and for the single-file write.
    void refusedReplacement_data()
    {
        QTest::addColumn<int>("brewState");
        QTest::addColumn<qint64>("refuseAfter");
        QTest::newRow("upload, first block") << 7 << qint64(0);
        QTest::newRow("upload, after one block") << 7 << qint64(256);
        QTest::newRow("single write, first block") << 6 << qint64(0);
        QTest::newRow("single write, after one block") << 6 << qint64(256);
    }
    void refusedReplacement()
    {
        QFETCH(int, brewState);
        QFETCH(qint64, refuseAfter);
        Rig rig(10);
        const QString phoneFile = rig.brew(u"brew/shared/readme.txt"_qs);
        const QByteArray old = fileBytes(phoneFile);
        QVERIFY(!old.isEmpty());
        QVERIFY(putFile(rig.here(u"readme.txt"_qs), brewtest::pattern(900)));
        if (refuseAfter == 0)
            rig.phone.phone->controls().refuseNextWrite();
        bool armed = refuseAfter == 0;
        connect(&rig.transfer, &BrewTransfer::progressChanged, &rig.transfer, [&](qint64 value, qint64) {
            if (!armed && value >= refuseAfter) {
                armed = true;
                rig.phone.phone->controls().refuseNextWrite();
            }
        });
        Outcome o;
        if (brewState == 7)
            o = QCoro::waitFor(rig.transfer.upload(u"brew/shared"_qs, {u"readme.txt"_qs}, rig.local.path()));
        else
            o = QCoro::waitFor(rig.transfer.writeFile(rig.here(u"readme.txt"_qs), u"brew/shared/readme.txt"_qs));
        QCOMPARE(o.kind, FailureKind::Refused);
        if (refuseAfter == 0) {
            QVERIFY2(o.detail.contains(u"Nothing was written"_qs) && !o.detail.contains(u"gone"_qs), qPrintable(o.detail));
            QCOMPARE(fileBytes(phoneFile), old);
        } else {
            QVERIFY(!QFileInfo::exists(phoneFile));
            QVERIFY2(o.detail.contains(u"brew/shared/readme.txt on the phone is gone"_qs), qPrintable(o.detail));
        }
        QCOMPARE(rig.transfer.hasListing(), brewState == 7);
        VERIFY_NO_ANOMALIES(rig);
    }

    void readIntoMemory_data()
    {
        QTest::addColumn<QString>("brewName");
        QTest::addColumn<bool>("toFile");
        QTest::newRow("root, memory only") << u"pbm_master_v_20.dat"_qs << false;
        QTest::newRow("folder, memory and file") << u"brew/master_events.dat"_qs << true;
        QTest::newRow("257 bytes") << u"brew/mod/clock/clock.mod"_qs << true;
        QTest::newRow("empty file") << u"brew/mod/clock/empty.dat"_qs << true;
    }
    void readIntoMemory()
    {
        QFETCH(QString, brewName);
        QFETCH(bool, toFile);
        Rig rig(11);
        const QString target = toFile ? rig.here(u"copy.dat"_qs) : QString();
        const auto r = QCoro::waitFor(rig.transfer.readFile(brewName, target));
        VERIFY_OK(r.outcome);
        QCOMPARE(r.value, fileBytes(rig.brew(brewName)));
        QCOMPARE(allEntries(rig.local.path()), toFile ? QStringList{u"copy.dat"_qs} : QStringList());
        if (toFile)
            QCOMPARE(fileBytes(target), r.value);
        QCOMPARE(rig.sentStarting("5904").first(), QByteArray::fromHex("590400") + char(brewName.size() + 1)
                                                        + brewName.toLatin1() + '\0');
        QVERIFY(!rig.transfer.hasListing());
        VERIFY_NO_ANOMALIES(rig);
    }

    void readOfAMissingFile()
    {
        Rig rig(12);
        const auto r = QCoro::waitFor(rig.transfer.readFile(u"brew/none.dat"_qs, rig.here(u"x"_qs)));
        QCOMPARE(r.outcome.kind, FailureKind::NotFound);
        QVERIFY(allEntries(rig.local.path()).isEmpty());
        VERIFY_NO_ANOMALIES(rig);
    }

    void writeOneFile_data()
    {
        QTest::addColumn<int>("size");
        for (const int size : {0, 100, 256, 300, 5000})
            QTest::addRow("%d bytes", size) << size;
    }
    void writeOneFile()
    {
        QFETCH(int, size);
        Rig rig(quint32(13 + size));
        const QByteArray data = brewtest::pattern(size);
        QVERIFY(putFile(rig.here(u"pbm.dat"_qs), data));
        QSignalSpy phase(&rig.transfer, &BrewTransfer::phaseChanged);
        const Outcome o = QCoro::waitFor(rig.transfer.writeFile(rig.here(u"pbm.dat"_qs), u"brew/shared/pbm.dat"_qs));
        VERIFY_OK(o);
        QCOMPARE(fileBytes(rig.brew(u"brew/shared/pbm.dat"_qs)), data);
        QCOMPARE(phase.value(0).value(0).value<link::TransferPhase>(), link::TransferPhase::Uploading);
        VERIFY_NO_ANOMALIES(rig);
    }

    void writeOfAMissingLocalFile()
    {
        Rig rig(14);
        const Outcome o = QCoro::waitFor(rig.transfer.writeFile(rig.here(u"none"_qs), u"brew/shared/x"_qs));
        QCOMPARE(o.kind, FailureKind::LocalFile);
        QVERIFY(rig.sentStarting("5905").isEmpty());
        QVERIFY(!QFileInfo::exists(rig.brew(u"brew/shared/x"_qs)));
        VERIFY_NO_ANOMALIES(rig);
    }

    void createFolder_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("sent");
        QTest::newRow("new") << u"fresh"_qs << true << true;
        QTest::newRow("in brackets") << u"[boxed]"_qs << true << true;
        QTest::newRow("empty: nothing") << QString() << true << false;
        QTest::newRow("exists: refused") << u"mod"_qs << false << true;
    }
    void createFolder()
    {
        QFETCH(QString, name);
        QFETCH(bool, ok);
        QFETCH(bool, sent);
        Rig rig(15);
        const Outcome o = QCoro::waitFor(rig.transfer.createFolder(u"brew/"_qs, name));
        QCOMPARE(o.ok(), ok);
        QCOMPARE(rig.sentStarting("5900").size(), sent ? 1 : 0);
        QCOMPARE(rig.transfer.hasListing(), sent);
        const QString bare = explorer::bareName(name);
        if (sent) {
            QCOMPARE(rig.sentStarting("5900").first(), nameRequest("5900", "brew/" + bare.toLatin1()));
            QVERIFY(QFileInfo(rig.brew(u"brew/"_qs + bare)).isDir());
            QVERIFY(rig.listedCaptions().contains(u"["_qs + bare + u"]"_qs));
        } else {
            QVERIFY(brewrig::sentPayloads(rig.phone).isEmpty());
        }
        VERIFY_NO_ANOMALIES(rig);
    }

    // The link goes away in the middle: a link failure, and no listing is tried.
    void lostLinkEndsWithoutListing()
    {
        Rig rig(16);
        rig.phone.phone->controls().dropLinkAfter(3000, phonesim::Controls::Diag);
        const Outcome o = QCoro::waitFor(rig.transfer.download(u"brew/mod/game"_qs, {u"game.mod"_qs}, rig.local.path()));
        QVERIFY(o.isLinkFailure());
        QVERIFY(!rig.transfer.hasListing());
        QVERIFY(allEntries(rig.local.path()).isEmpty());
    }
};

VANDREL_TEST(BrewTransferPhoneTest)
#include "tst_brewtransfer.moc"
