// How waits on the virtual phone end: a port closed by the user or lost ends the wait at once,
// a cancel ends its own operation only, a chattering phone cannot stretch a reply limit, and
// uploads pass over what is not a regular file.
#include "common/testmain.h"
#include "integration/phonerig.h"

#include <core/diag/frame.h>
#include <link/brewcopy.h>
#include <link/brewsession.h>
#include <link/connectflow.h>
#include <link/obexsession.h>
#include <link/obextransfer.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace vandrel;
using namespace vandrel::link;
using namespace std::chrono_literals;
using itest::PhoneRig;

namespace {

bool brewAccess(const QString &how) { return how.startsWith(QLatin1String("brew")); }

// A listing in the access mode the row names, started now and awaited later.
QCoro::Task<Outcome> listing(PhoneRig &rig, bool brew)
{
    if (brew) {
        BrewSession session(*rig.link);
        const QString path = QStringLiteral("brew");
        const auto r = co_await session.listBrewFolder(path);
        co_return r.outcome;
    }
    ObexSession session(*rig.link);
    const QStringList path{QStringLiteral("mmc")};
    const auto r = co_await session.list(path, false);
    co_return r.outcome;
}

SerialChannel *portOf(PhoneRig &rig, bool brew) { return brew ? rig.diag : rig.modem; }

bool writeFile(const QString &path, const QByteArray &data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace

class LinkReliabilityTest : public QObject {
    Q_OBJECT
private slots:
    // The user closes the port (disconnect, a tab change) while a listing waits for a slow
    // phone: the wait ends at once as a close, not a failure to report, also when the port
    // is opened again straight away; the next listing works.
    void closingThePortEndsTheWait_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("obex, closed") << u"obex"_qs;
        QTest::newRow("obex, reopened at once") << u"obex reopened"_qs;
        QTest::newRow("brew, closed") << u"brew"_qs;
        QTest::newRow("brew, reopened at once") << u"brew reopened"_qs;
    }
    void closingThePortEndsTheWait()
    {
        QFETCH(QString, how);
        const bool brew = brewAccess(how);
        PhoneRig rig(21);
        // Longer than the test may take: a wait that is not woken shows as a time-out.
        rig.link->timing().replyLimit = 60s;
        SerialChannel *port = portOf(rig, brew);
        QVERIFY(!port->open());
        rig.phone->controls().delayReplies(300);
        QTimer::singleShot(100, port, [port, how] {
            port->close();
            if (how.endsWith(QLatin1String("reopened")))
                (void)port->open();
        });
        const Outcome closed = QCoro::waitFor(listing(rig, brew));
        QCOMPARE(closed.kind, FailureKind::PortClosed);
        QVERIFY(closed.endedByUser());
        QVERIFY(!closed.isLinkFailure());

        rig.phone->controls().delayReplies(0);
        if (!port->isOpen())
            QVERIFY(!port->open());
        QTest::qWait(400); // the late reply of the closed connection arrives and is dropped
        rig.link->reader(brew ? PhoneLink::Port::Diag : PhoneLink::Port::Modem).discardPending();
        const Outcome again = QCoro::waitFor(listing(rig, brew));
        QVERIFY2(again.ok(), qPrintable(again.detail));
    }

    // Cancelling the connect during the pause between open tries ends that connect; the next
    // one is not ended by the same cancel.
    void cancelDuringTheOpenPause()
    {
        PhoneRig rig(22);
        rig.link->timing().openRetry = 300ms;
        rig.modem->failOpen({OpenError::Kind::Busy, QStringLiteral("busy")}, 1);
        ConnectSession first(*rig.link, ConnectMode::Obex, false);
        QTimer::singleShot(50, &first, &ConnectSession::cancel);
        const auto cancelled = QCoro::waitFor(link::connectAndList(*rig.link, first, {}, false));
        QVERIFY(cancelled.outcome.isCancelled());

        ConnectSession second(*rig.link, ConnectMode::Obex, false);
        const auto listed = QCoro::waitFor(link::connectAndList(*rig.link, second, {}, false));
        QVERIFY2(listed.ok(), qPrintable(listed.outcome.detail));
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    // The phone stops answering but keeps sending things nobody asked for: the request still
    // times out at its limit. (Were the limit restarted by every stray frame or line, the wait
    // would last as long as the chatter.)
    void chatteringPhoneTimesOut_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("obex, stray lines") << u"obex"_qs;
        QTest::newRow("brew, stray frames") << u"brew"_qs;
    }
    void chatteringPhoneTimesOut()
    {
        QFETCH(QString, how);
        const bool brew = brewAccess(how);
        PhoneRig rig(23);
        rig.link->timing().replyLimit = 400ms;
        SerialChannel *port = portOf(rig, brew);
        QVERIFY(!port->open());
        rig.phone->controls().goSilentAt(brew ? u"diag list folders"_qs : u"obex setpath"_qs);
        auto *fake = brew ? rig.diag : rig.modem;
        const QByteArray stray = brew ? diag::encodeDiagFrame(QByteArray::fromHex("290400")) : QByteArray("\r\nRING\r\n");
        constexpr int kChatter = 60; // 3 s of chatter, far beyond the limit
        int sent = 0;
        QTimer chatter;
        chatter.setInterval(50);
        connect(&chatter, &QTimer::timeout, &chatter, [&] {
            if (++sent >= kChatter)
                chatter.stop();
            fake->feed(stray);
        });
        chatter.start();
        const Outcome o = QCoro::waitFor(listing(rig, brew));
        const int sentWhenEnded = sent;
        chatter.stop();
        QCOMPARE(o.kind, FailureKind::TimeOut);
        QVERIFY2(sentWhenEnded < kChatter, "the wait lasted as long as the chatter");
    }

#ifdef Q_OS_UNIX
    // FIFOs (opening one blocks), sockets and links to folders are passed over with a warning
    // that names them; the rest of the folder is copied and the operation says what is missing.
    void uploadsPassOverWhatIsNoFile_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("obex") << u"obex"_qs;
        QTest::newRow("brew") << u"brew"_qs;
    }
    void uploadsPassOverWhatIsNoFile()
    {
        QFETCH(QString, how);
        const bool brew = brewAccess(how);
        PhoneRig rig(24);
        QVERIFY(!portOf(rig, brew)->open());
        QTemporaryDir local;
        const QString up = local.filePath(u"up"_qs);
        QVERIFY(QDir().mkpath(up + u"/sub"_qs));
        QVERIFY(writeFile(up + u"/a.txt"_qs, "a"));
        QCOMPARE(::mkfifo(QFile::encodeName(up + u"/pipe"_qs).constData(), 0600), 0);
        QVERIFY(QFile::link(up, up + u"/sub/loop"_qs)); // back up the tree

        QStringList warnings;
        Outcome o;
        QString phoneUp;
        FixedAsker asker(Answer::Yes);
        if (brew) {
            BrewSession session(*rig.link);
            OverwriteQuestions questions(asker);
            BrewCopier copier(session, questions);
            connect(&copier, &BrewCopier::warning, &copier, [&](const QString &w) { warnings << w; });
            o = QCoro::waitFor(copier.putFolder(up + u"/"_qs, u"brew/shared"_qs));
            phoneUp = rig.phone->brewRoot() + u"/brew/shared/up"_qs;
        } else {
            ObexTransfer transfer(*rig.link, asker);
            connect(&transfer, &ObexTransfer::warning, &transfer, [&](const QString &w) { warnings << w; });
            o = QCoro::waitFor(transfer.upload({u"mmc"_qs}, {u"[up]"_qs}, local.path()));
            phoneUp = rig.phone->obexRoot() + u"/mmc/up"_qs;
            QCOMPARE(o.kind, FailureKind::LocalFile);
        }
        QCOMPARE(warnings.size(), 2);
        QVERIFY(warnings.join(u' ').contains(u"pipe"_qs));
        QVERIFY(warnings.join(u' ').contains(u"loop"_qs));
        QVERIFY(QFileInfo::exists(phoneUp + u"/a.txt"_qs));
        QVERIFY(QFileInfo(phoneUp + u"/sub"_qs).isDir());
        QVERIFY(!QFileInfo::exists(phoneUp + u"/pipe"_qs));
        QVERIFY(!QFileInfo::exists(phoneUp + u"/sub/loop"_qs));
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }
#endif
};

VANDREL_TEST(LinkReliabilityTest)
#include "tst_link_reliability.moc"
