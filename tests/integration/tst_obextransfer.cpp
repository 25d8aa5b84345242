// The OBEX transfer session against the virtual phone, with replies split at random.
#include "common/testmain.h"

#include <link/obextransfer.h>
#include <phone-sim/seed.h>
#include <phone-sim/virtualphone.h>

#include <QCoroTask>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace vandrel;
using link::Answer;
using link::FailureKind;
using link::Outcome;

namespace {

// Answers from a list, in order; records every question.
class ScriptAsker final : public link::QuestionAsker {
public:
    QList<Answer> answers;
    QStringList asked;
    QCoro::Task<Answer> askReplace(QString where) override
    {
        asked.append(QStringLiteral("replace ") + where);
        co_return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }
    QCoro::Task<Answer> askGoOn(link::GoOnQuestion question, QString subject) override
    {
        asked.append((question == link::GoOnQuestion::NotSent ? QStringLiteral("not sent ") : QStringLiteral("not removed ")) + subject);
        co_return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }
};

QByteArray pattern(qsizetype size, int seed)
{
    QByteArray out(size, '\0');
    QRandomGenerator gen(quint32(seed) + 1);
    for (qsizetype i = 0; i < size; ++i)
        out[i] = char(gen.bounded(256));
    return out;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every file below `dir`, relative, sorted.
QStringList filesBelow(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        out.append(QDir(dir).relativeFilePath(it.next()));
    out.sort();
    return out;
}

// The OBEX packets the client wrote (AT commands and escapes left out).
QList<QByteArray> packetsWritten(const channel::FakeSerialChannel &client, quint8 opcodeMask = 0x7F, quint8 opcode = 0x02)
{
    QList<QByteArray> out;
    for (const QByteArray &w : client.writes())
        if (w.size() >= 3 && (quint8(w[0]) & opcodeMask) == opcode)
            out.append(w);
    return out;
}

struct Rig {
    explicit Rig(quint32 seed = 7, bool byteByByte = false)
    {
        phone = std::make_unique<phonesim::VirtualPhone>(phoneDir.path());
        auto ends = phone->plugInProcess();
        client = ends.modem;
        link = std::make_unique<link::PhoneLink>(ends.modem, ends.diag);
        link->timing().replyLimit = std::chrono::milliseconds(3000);
        link->timing().escapePause = std::chrono::milliseconds(0);
        if (byteByByte)
            phone->controls().splitByteByByte();
        else
            phone->controls().splitRandomly(seed);
        (void)link->modemPort()->open();
        transfer = std::make_unique<link::ObexTransfer>(*link, asker);
    }
    QString onPhone(const QString &rel) const { return phonesim::obexRootOf(phoneDir.path()) + QLatin1Char('/') + rel; }
    QString local(const QString &rel = {}) const { return rel.isEmpty() ? localDir.path() : localDir.filePath(rel); }
    Outcome run(QCoro::Task<Outcome> task) { return QCoro::waitFor(std::move(task)); }

    QTemporaryDir phoneDir;
    QTemporaryDir localDir;
    std::unique_ptr<phonesim::VirtualPhone> phone;
    channel::FakeSerialChannel *client = nullptr;
    std::unique_ptr<link::PhoneLink> link;
    ScriptAsker asker;
    std::unique_ptr<link::ObexTransfer> transfer;
};

#define CHECK_ANOMALIES(rig) QVERIFY2((rig).phone->anomalies().isEmpty(), qPrintable((rig).phone->anomalies().join(u'\n')))

} // namespace

class ObexUploadTest : public QObject {
    Q_OBJECT
private slots:
    void sizes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("byteByByte");
        for (int size : {0, 1, 4095, 4096, 4097, 8192, 1 << 20})
            QTest::addRow("%d bytes, random pieces", size) << size << false;
        for (int size : {0, 4097})
            QTest::addRow("%d bytes, byte by byte", size) << size << true;
    }
    // The file arrives whole and no "~name.tmp" stays behind (the packets are the engine's,
    // tests/core).
    void sizes()
    {
        QFETCH(int, size);
        QFETCH(bool, byteByByte);
        Rig rig(quint32(size) + 3, byteByByte);
        const QByteArray data = pattern(size, size);
        QVERIFY(writeFile(rig.local(QStringLiteral("data.bin")), data));
        const Outcome o = rig.run(rig.transfer->upload({QStringLiteral("mmc")}, {QStringLiteral("data.bin")}, rig.local()));
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(readFile(rig.onPhone(QStringLiteral("mmc/data.bin"))), data);
        QVERIFY(!QFileInfo::exists(rig.onPhone(QStringLiteral("mmc/~data.bin.tmp"))));
        CHECK_ANOMALIES(rig);
        QVERIFY(rig.transfer->hasListing());
    }

    void recursiveFolder()
    {
        Rig rig(11);
        QVERIFY(writeFile(rig.local(QStringLiteral("trip/a.txt")), "alpha"));
        QVERIFY(writeFile(rig.local(QStringLiteral("trip/day 2/b.jpg")), pattern(5000, 2)));
        QVERIFY(writeFile(rig.local(QStringLiteral("trip/day 2/deeper/c.bin")), pattern(9000, 3)));
        QVERIFY(QDir().mkpath(rig.local(QStringLiteral("trip/empty"))));
        QSignalSpy done(rig.transfer.get(), &link::ObexTransfer::entryDone);
        const Outcome o = rig.run(rig.transfer->upload({QStringLiteral("user")}, {QStringLiteral("[trip]")}, rig.local()));
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(filesBelow(rig.onPhone(QStringLiteral("user/trip"))), filesBelow(rig.local(QStringLiteral("trip"))));
        QCOMPARE(readFile(rig.onPhone(QStringLiteral("user/trip/day 2/deeper/c.bin"))), pattern(9000, 3));
        QVERIFY(QFileInfo(rig.onPhone(QStringLiteral("user/trip/empty"))).isDir());
        QCOMPARE(done.size(), 1);
        QCOMPARE(rig.transfer->listingPath(), QStringList{QStringLiteral("user")});
        CHECK_ANOMALIES(rig);
    }

    void overwriteAnswers_data()
    {
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("replaced"); // which of a, b, c end up with the new content
        QTest::addColumn<bool>("completed");
        QTest::newRow("yes to all asks once") << QList<Answer>{Answer::YesToAll} << 1 << QStringLiteral("abc") << true;
        QTest::newRow("no to all asks once") << QList<Answer>{Answer::NoToAll} << 1 << QString() << true;
        QTest::newRow("yes, no, yes") << QList<Answer>{Answer::Yes, Answer::No, Answer::Yes} << 3 << QStringLiteral("ac") << true;
        QTest::newRow("cancel stops") << QList<Answer>{Answer::Yes, Answer::Cancel} << 2 << QStringLiteral("a") << false;
    }
    void overwriteAnswers()
    {
        QFETCH(QList<Answer>, answers);
        QFETCH(int, questions);
        QFETCH(QString, replaced);
        QFETCH(bool, completed);
        Rig rig(5);
        QStringList captions;
        for (const char *n : {"a", "b", "c"}) {
            const QString name = QLatin1String(n) + QStringLiteral(".txt");
            QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/") + name), "old"));
            QVERIFY(writeFile(rig.local(name), "new " + QByteArray(n)));
            captions << name;
        }
        rig.asker.answers = answers;
        const Outcome o = rig.run(rig.transfer->upload({QStringLiteral("mmc")}, captions, rig.local()));
        QCOMPARE(o.ok(), completed);
        QCOMPARE(rig.asker.asked.size(), questions);
        QCOMPARE(rig.asker.asked.first(), QStringLiteral("replace mmc\\a.txt"));
        for (const char *n : {"a", "b", "c"}) {
            const QByteArray now = readFile(rig.onPhone(QStringLiteral("mmc/") + QLatin1String(n) + QStringLiteral(".txt")));
            QCOMPARE(now, replaced.contains(QLatin1Char(*n)) ? "new " + QByteArray(n) : QByteArray("old"));
            QVERIFY(!QFileInfo::exists(rig.onPhone(QStringLiteral("mmc/~") + QLatin1String(n) + QStringLiteral(".txt.tmp"))));
        }
        CHECK_ANOMALIES(rig);
    }

    // The phone will not delete the old file: it stays, "~name.tmp" goes, the user is asked.
    void replacementRefusedKeepsOldFile()
    {
        Rig rig(9);
        const QString old = rig.onPhone(QStringLiteral("mmc/locked.txt"));
        QVERIFY(writeFile(old, "precious"));
        QVERIFY(QFile::setPermissions(old, QFile::ReadOwner | QFile::ReadGroup));
        QVERIFY(writeFile(rig.local(QStringLiteral("locked.txt")), pattern(6000, 1)));
        rig.asker.answers = {Answer::Yes, Answer::No};
        const Outcome o = rig.run(rig.transfer->upload({QStringLiteral("mmc")}, {QStringLiteral("locked.txt")}, rig.local()));
        QVERIFY(o.isCancelled());
        QCOMPARE(rig.asker.asked.size(), 2);
        QVERIFY(rig.asker.asked.at(1).startsWith(QStringLiteral("not removed ")));
        QCOMPARE(readFile(old), QByteArray("precious"));
        QVERIFY(!QFileInfo::exists(rig.onPhone(QStringLiteral("mmc/~locked.txt.tmp"))));
        QFile::setPermissions(old, QFile::ReadOwner | QFile::WriteOwner);
        CHECK_ANOMALIES(rig);
    }

    // The phone refuses the upload itself (no room): the old file and nothing else.
    void refusedUploadKeepsOldFile()
    {
        Rig rig(13);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("user/n.txt")), "old"));
        QVERIFY(writeFile(rig.local(QStringLiteral("n.txt")), pattern(9000, 4)));
        rig.phone->modem().obex().setCapacity({128LL << 20, 4000});
        rig.transfer->setPhoneFreeSpace(1u << 30); // a stale figure: the phone has the last word
        rig.asker.answers = {Answer::Yes};
        const Outcome o = rig.run(rig.transfer->upload({QStringLiteral("user")}, {QStringLiteral("n.txt")}, rig.local()));
        QVERIFY(o.isFailed());
        QCOMPARE(o.kind, FailureKind::Refused);
        QCOMPARE(readFile(rig.onPhone(QStringLiteral("user/n.txt"))), QByteArray("old"));
        QVERIFY(!QFileInfo::exists(rig.onPhone(QStringLiteral("user/~n.txt.tmp"))));
        CHECK_ANOMALIES(rig);
    }

    // Without a figure the session asks the phone first, and refuses what does not fit.
    void freeSpaceAskedWhenUnknown_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("fits");
        QTest::newRow("fits") << 3000 << true;
        QTest::newRow("too large") << 5000 << false;
    }
    void freeSpaceAskedWhenUnknown()
    {
        QFETCH(int, size);
        QFETCH(bool, fits);
        Rig rig(17);
        // The seeded "user" folder already holds files: make room for exactly 4096 bytes.
        qint64 used = 0;
        for (const QString &f : filesBelow(rig.onPhone(QStringLiteral("user"))))
            used += QFileInfo(rig.onPhone(QStringLiteral("user/") + f)).size();
        rig.phone->modem().obex().setCapacity({128LL << 20, used + 4096});
        QVERIFY(writeFile(rig.local(QStringLiteral("f.bin")), pattern(size, 5)));
        const Outcome o = rig.run(rig.transfer->upload({QStringLiteral("user")}, {QStringLiteral("f.bin")}, rig.local()));
        QCOMPARE(o.ok(), fits);
        QVERIFY(rig.transfer->phoneFreeSpace().has_value());
        if (!fits)
            QCOMPARE(o.wording, link::Wording::NotEnoughSpace);
        QCOMPARE(QFileInfo::exists(rig.onPhone(QStringLiteral("user/f.bin"))), fits);
        QVERIFY(packetsWritten(*rig.client, 0xFF, 0x83).size() >= 2); // the two memory queries
        CHECK_ANOMALIES(rig);
    }
};

class ObexDownloadTest : public QObject {
    Q_OBJECT
private slots:
    void sizes_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("byteByByte");
        for (int size : {0, 1, 4096, 4097, 20000, 300000})
            QTest::addRow("%d bytes, random pieces", size) << size << false;
        QTest::addRow("9000 bytes, byte by byte") << 9000 << true;
    }
    void sizes()
    {
        QFETCH(int, size);
        QFETCH(bool, byteByByte);
        Rig rig(quint32(size) + 1, byteByByte);
        const QByteArray data = pattern(size, size + 9);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/d.bin")), data));
        QSignalSpy progress(rig.transfer.get(), &link::ObexTransfer::progressChanged);
        const Outcome o = rig.run(rig.transfer->download({QStringLiteral("mmc")}, {QStringLiteral("d.bin")}, rig.local()));
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(readFile(rig.local(QStringLiteral("d.bin"))), data);
        QCOMPARE(filesBelow(rig.local()), QStringList{QStringLiteral("d.bin")});
        // Progress never passes its maximum and ends there.
        for (const auto &args : progress)
            QVERIFY(args.at(0).toLongLong() <= args.at(1).toLongLong() || args.at(1).toLongLong() == 0);
        QCOMPARE(progress.last().at(0).toLongLong(), qint64(size));
        QVERIFY(rig.transfer->hasListing());
        CHECK_ANOMALIES(rig);
    }

    void recursiveFolder()
    {
        Rig rig(21);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/album/one.jpg")), pattern(7000, 1)));
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/album/inner/two.jpg")), pattern(12000, 2)));
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/album/inner/deep/three.txt")), "3"));
        QVERIFY(QDir().mkpath(rig.onPhone(QStringLiteral("mmc/album/nothing"))));
        const Outcome o = rig.run(rig.transfer->download({QStringLiteral("mmc")}, {QStringLiteral("[album]")}, rig.local()));
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(filesBelow(rig.local(QStringLiteral("album"))), filesBelow(rig.onPhone(QStringLiteral("mmc/album"))));
        QCOMPARE(readFile(rig.local(QStringLiteral("album/inner/two.jpg"))), pattern(12000, 2));
        QVERIFY(QFileInfo(rig.local(QStringLiteral("album/nothing"))).isDir());
        QCOMPARE(rig.transfer->listingPath(), QStringList{QStringLiteral("mmc")});
        CHECK_ANOMALIES(rig);
    }

    void overwriteAnswers_data()
    {
        QTest::addColumn<QList<Answer>>("answers");
        QTest::addColumn<int>("questions");
        QTest::addColumn<QString>("replaced");
        QTest::addColumn<bool>("completed");
        QTest::newRow("yes to all asks once") << QList<Answer>{Answer::YesToAll} << 1 << QStringLiteral("abc") << true;
        QTest::newRow("no to all asks once") << QList<Answer>{Answer::NoToAll} << 1 << QString() << true;
        QTest::newRow("no, yes, no") << QList<Answer>{Answer::No, Answer::Yes, Answer::No} << 3 << QStringLiteral("b") << true;
        QTest::newRow("cancel first") << QList<Answer>{Answer::Cancel} << 1 << QString() << false;
    }
    void overwriteAnswers()
    {
        QFETCH(QList<Answer>, answers);
        QFETCH(int, questions);
        QFETCH(QString, replaced);
        QFETCH(bool, completed);
        Rig rig(23);
        QStringList captions;
        for (const char *n : {"a", "b", "c"}) {
            const QString name = QLatin1String(n) + QStringLiteral(".txt");
            QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/") + name), "phone " + QByteArray(n)));
            QVERIFY(writeFile(rig.local(name), "mine"));
            captions << name;
        }
        rig.asker.answers = answers;
        const Outcome o = rig.run(rig.transfer->download({QStringLiteral("mmc")}, captions, rig.local()));
        QCOMPARE(o.ok(), completed);
        QCOMPARE(rig.asker.asked.size(), questions);
        QVERIFY(rig.asker.asked.first().startsWith(QStringLiteral("replace ")) && rig.asker.asked.first().endsWith(QStringLiteral("a.txt")));
        for (const char *n : {"a", "b", "c"})
            QCOMPARE(readFile(rig.local(QLatin1String(n) + QStringLiteral(".txt"))),
                     replaced.contains(QLatin1Char(*n)) ? "phone " + QByteArray(n) : QByteArray("mine"));
        QCOMPARE(filesBelow(rig.local()).size(), 3);
        CHECK_ANOMALIES(rig);
    }

    // Cancel in the middle, a pulled cable, a phone gone silent: the old local file stays
    // as it was and no partial file is left beside it.
    void interruptedKeepsOldFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("kind"); // -1: cancelled
        QTest::newRow("cancel") << QStringLiteral("cancel") << -1;
        QTest::newRow("link dropped") << QStringLiteral("drop") << int(FailureKind::LinkLost);
        QTest::newRow("phone silent") << QStringLiteral("silent") << int(FailureKind::TimeOut);
    }
    void interruptedKeepsOldFile()
    {
        QFETCH(QString, how);
        QFETCH(int, kind);
        Rig rig(29);
        rig.link->timing().replyLimit = std::chrono::milliseconds(400);
        const QByteArray data = pattern(200000, 3);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/big.bin")), data));
        QVERIFY(writeFile(rig.local(QStringLiteral("big.bin")), "old content"));
        rig.asker.answers = {Answer::Yes};
        if (how == QLatin1String("cancel")) {
            QObject::connect(rig.transfer.get(), &link::ObexTransfer::progressChanged, rig.transfer.get(),
                             [&rig](qint64 value) {
                                 if (value > 50000)
                                     rig.transfer->cancel();
                             });
        } else {
            QObject::connect(rig.transfer.get(), &link::ObexTransfer::progressChanged, rig.transfer.get(),
                             [&rig, how, armed = std::make_shared<bool>(false)](qint64 value) {
                                 if (value > 0 && !*armed) {
                                     *armed = true;
                                     if (how == QLatin1String("drop"))
                                         rig.phone->controls().dropLinkAfter(30000, phonesim::Controls::Modem);
                                     else
                                         rig.phone->controls().goSilentAfter(30000, phonesim::Controls::Modem);
                                 }
                             });
        }
        const Outcome o = rig.run(rig.transfer->download({QStringLiteral("mmc")}, {QStringLiteral("big.bin")}, rig.local()));
        if (kind < 0) {
            QVERIFY(o.isCancelled());
        } else {
            QVERIFY(o.isFailed());
            QCOMPARE(int(o.kind), kind);
        }
        QCOMPARE(readFile(rig.local(QStringLiteral("big.bin"))), QByteArray("old content"));
        QCOMPARE(filesBelow(rig.local()), QStringList{QStringLiteral("big.bin")});
        QVERIFY(!rig.link->isClaimed(link::PhoneLink::Port::Modem));
        CHECK_ANOMALIES(rig);
    }

    // Names that would reach outside the target folder are skipped and reported.
    void unsafePhoneNames()
    {
        Rig rig(31);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/box/..\\evil/x.txt")), "x"));
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/box/..\\evil.txt")), "y"));
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/box/fine.txt")), "fine"));
        QVERIFY(QDir().mkpath(rig.local(QStringLiteral("target"))));
        const Outcome o = rig.run(rig.transfer->download({QStringLiteral("mmc")}, {QStringLiteral("[box]")}, rig.local(QStringLiteral("target"))));
        QVERIFY(o.isFailed());
        QCOMPARE(o.kind, FailureKind::Malformed);
        QCOMPARE(filesBelow(rig.local()), QStringList{QStringLiteral("target/box/fine.txt")});
        QCOMPARE(rig.transfer->refusedNames().size(), 2);
        CHECK_ANOMALIES(rig);
    }

    void localFreeSpace()
    {
        Rig rig(37);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/big.bin")), pattern(10000, 1)));
        QVERIFY(writeFile(rig.local(QStringLiteral("big.bin")), "old"));
        rig.transfer->setLocalFreeSpace([](const QString &) { return qint64(9999); });
        rig.asker.answers = {Answer::Yes};
        const Outcome o = rig.run(rig.transfer->download({QStringLiteral("mmc")}, {QStringLiteral("big.bin")}, rig.local()));
        QVERIFY(o.isFailed());
        QCOMPARE(o.wording, link::Wording::NotEnoughSpace);
        QCOMPARE(readFile(rig.local(QStringLiteral("big.bin"))), QByteArray("old"));
        QCOMPARE(filesBelow(rig.local()).size(), 1);
        CHECK_ANOMALIES(rig);
    }

    // A file the phone does not send: the short-reply question; Yes goes on with the next.
    void shortReplyAsks_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("secondFetched");
        QTest::newRow("yes goes on") << Answer::Yes << true;
        QTest::newRow("no stops") << Answer::No << false;
    }
    void shortReplyAsks()
    {
        QFETCH(Answer, answer);
        QFETCH(bool, secondFetched);
        Rig rig(41);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/there.txt")), "here"));
        rig.asker.answers = {answer};
        const Outcome o = rig.run(rig.transfer->download(
            {QStringLiteral("mmc")}, {QStringLiteral("gone.txt"), QStringLiteral("there.txt")}, rig.local()));
        QCOMPARE(o.ok(), secondFetched);
        QCOMPARE(rig.asker.asked, QStringList{QStringLiteral("not sent mmc\\gone.txt")});
        QCOMPARE(QFileInfo::exists(rig.local(QStringLiteral("there.txt"))), secondFetched);
        QVERIFY(!QFileInfo::exists(rig.local(QStringLiteral("gone.txt"))));
        CHECK_ANOMALIES(rig);
    }

    void getOneFile()
    {
        Rig rig(43);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("user/Dokumenty/z.txt")), "zzz"));
        const QString target = rig.local(QStringLiteral("work/z-copy.txt"));
        QVERIFY(QDir().mkpath(rig.local(QStringLiteral("work"))));
        QVERIFY(writeFile(target, "stale"));
        Outcome o = rig.run(rig.transfer->getFile({QStringLiteral("user"), QStringLiteral("Dokumenty")}, QStringLiteral("z.txt"), target));
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(readFile(target), QByteArray("zzz"));
        QVERIFY(!rig.transfer->hasListing());
        // A file the phone does not have is a plain failure, not a link error.
        o = rig.run(rig.transfer->getFile({QStringLiteral("user")}, QStringLiteral("missing.txt"), rig.local(QStringLiteral("m.txt"))));
        QVERIFY(o.isFailed());
        QCOMPARE(o.kind, FailureKind::NotFound);
        QVERIFY(!o.isLinkFailure());
        QVERIFY(!QFileInfo::exists(rig.local(QStringLiteral("m.txt"))));
        QVERIFY(rig.asker.asked.isEmpty());
        CHECK_ANOMALIES(rig);
    }
};

class ObexChangeTest : public QObject {
    Q_OBJECT
private slots:
    void removeOneOrSeveral_data()
    {
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<bool>("listed");
        QTest::newRow("one file") << QStringList{QStringLiteral("a.txt")} << true;
        QTest::newRow("one folder") << QStringList{QStringLiteral("[dir]")} << true;
        QTest::newRow("parent row left out") << QStringList{QStringLiteral("[..]"), QStringLiteral("a.txt")} << true;
        QTest::newRow("several") << QStringList{QStringLiteral("a.txt"), QStringLiteral("[dir]")} << false;
    }
    void removeOneOrSeveral()
    {
        QFETCH(QStringList, captions);
        QFETCH(bool, listed);
        Rig rig(47);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/t/a.txt")), "a"));
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/t/dir/b.txt")), "b"));
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/t/keep.txt")), "k"));
        const Outcome o = rig.run(rig.transfer->remove({QStringLiteral("mmc"), QStringLiteral("t")}, captions));
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(rig.transfer->hasListing(), listed);
        for (const QString &c : captions)
            if (c != QLatin1String("[..]"))
                QVERIFY(!QFileInfo::exists(rig.onPhone(QStringLiteral("mmc/t/") + vandrel::explorer::bareName(c))));
        QVERIFY(QFileInfo::exists(rig.onPhone(QStringLiteral("mmc/t/keep.txt"))));
        if (listed) {
            QStringList names;
            for (const auto &e : rig.transfer->listing().entries)
                names << e.caption();
            QVERIFY(names.contains(QStringLiteral("keep.txt")));
            QVERIFY(!names.contains(QStringLiteral("a.txt")) || captions.contains(QStringLiteral("[dir]")));
        }
        CHECK_ANOMALIES(rig);
    }

    void removeRefusedAsks()
    {
        Rig rig(53);
        const QString locked = rig.onPhone(QStringLiteral("mmc/r/locked.txt"));
        QVERIFY(writeFile(locked, "l"));
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/r/free.txt")), "f"));
        QVERIFY(QFile::setPermissions(locked, QFile::ReadOwner));
        rig.asker.answers = {Answer::Yes};
        const Outcome o = rig.run(rig.transfer->remove({QStringLiteral("mmc"), QStringLiteral("r")},
                                                       {QStringLiteral("locked.txt"), QStringLiteral("free.txt")}));
        QVERIFY(o.ok());
        QCOMPARE(rig.asker.asked, QStringList{QStringLiteral("not removed locked.txt")});
        QVERIFY(QFileInfo::exists(locked));
        QVERIFY(!QFileInfo::exists(rig.onPhone(QStringLiteral("mmc/r/free.txt"))));
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
        CHECK_ANOMALIES(rig);
    }

    void renameEntry()
    {
        Rig rig(59);
        QVERIFY(writeFile(rig.onPhone(QStringLiteral("mmc/ren/old name.txt")), "same"));
        const Outcome o = rig.run(rig.transfer->rename({QStringLiteral("mmc"), QStringLiteral("ren")},
                                                       QStringLiteral("old name.txt"), QStringLiteral("nové.txt")));
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(readFile(rig.onPhone(QStringLiteral("mmc/ren/nové.txt"))), QByteArray("same"));
        QVERIFY(!QFileInfo::exists(rig.onPhone(QStringLiteral("mmc/ren/old name.txt"))));
        QCOMPARE(rig.transfer->listing().entries.size(), 1);
        QCOMPARE(rig.transfer->listing().entries.first().name, QStringLiteral("nové.txt"));
        // Renaming what is not there: a plain failure.
        const Outcome missing = rig.run(rig.transfer->rename({QStringLiteral("mmc")}, QStringLiteral("nothing"), QStringLiteral("x")));
        QVERIFY(missing.isFailed());
        QVERIFY(!missing.isLinkFailure());
        CHECK_ANOMALIES(rig);
    }

    void createFolder()
    {
        Rig rig(61);
        const Outcome o = rig.run(rig.transfer->createFolder({QStringLiteral("user")}, QStringLiteral("Nová složka")));
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QVERIFY(QFileInfo(rig.onPhone(QStringLiteral("user/Nová složka"))).isDir());
        QCOMPARE(rig.transfer->listingPath(), (QStringList{QStringLiteral("user"), QStringLiteral("Nová složka")}));
        QVERIFY(rig.transfer->listing().entries.isEmpty());
        CHECK_ANOMALIES(rig);
    }

    // After a failed walk the session still leaves OBEX mode and gives the port back.
    void missingFolder()
    {
        Rig rig(67);
        const Outcome o = rig.run(rig.transfer->remove({QStringLiteral("mmc"), QStringLiteral("nowhere")}, {QStringLiteral("x")}));
        QVERIFY(o.isFailed());
        QCOMPARE(o.kind, FailureKind::NotFound);
        QVERIFY(!rig.link->isClaimed(link::PhoneLink::Port::Modem));
        QVERIFY(rig.client->writes().last().startsWith("+++"));
        CHECK_ANOMALIES(rig);
    }
};

VANDREL_TEST(ObexUploadTest)
VANDREL_TEST(ObexDownloadTest)
VANDREL_TEST(ObexChangeTest)
#include "tst_obextransfer.moc"
