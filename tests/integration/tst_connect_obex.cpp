#include "common/testmain.h"
#include "integration/phonerig.h"

#include <core/explorer/memorylabel.h>
#include <core/obex/packets.h>
#include <link/connectflow.h>
#include <link/dispatcher.h>
#include <link/phoneinfosession.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

using namespace vandrel;
using namespace vandrel::link;
using itest::PhoneRig;

namespace {

Result<ObexFolder> connectAndList(PhoneRig &rig, bool readSMS, const QStringList &path, bool sizeQuery = false)
{
    ConnectSession session(*rig.link, ConnectMode::Obex, readSMS);
    return QCoro::waitFor(link::connectAndList(*rig.link, session, path, sizeQuery));
}

QStringList names(const QList<explorer::DirEntry> &rows)
{
    QStringList out;
    for (const auto &r : rows)
        out << r.caption();
    return out;
}

int count(const QList<QByteArray> &writes, const QByteArray &what)
{
    return int(std::count(writes.cbegin(), writes.cend(), what));
}
} // namespace

class ConnectObexTest : public QObject {
    Q_OBJECT
private slots:
    void connectSequence_data()
    {
        QTest::addColumn<bool>("readSMS");
        QTest::addColumn<quint32>("seed");
        QTest::newRow("plain") << false << 3u;
        QTest::newRow("with notices") << true << 4u;
    }
    // The whole sequence on the wire and in the log; a root listing sends exactly the
    // connect packet + CR and the listing request + CR.
    void connectSequence()
    {
        QFETCH(bool, readSMS);
        QFETCH(quint32, seed);
        PhoneRig rig(seed);
        const auto r = connectAndList(rig, readSMS, {});
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
        QCOMPARE(names(r.value.entries), (QStringList{QStringLiteral("[mmc]"), QStringLiteral("[user]")}));

        QList<QByteArray> expected{"ATE1\r"};
        if (readSMS)
            expected << "AT+CNMI=1,1,0,2\r";
        expected << "+++" << "AT^SQWE=0\r" << "AT^SQWE=3\r" << obex::connectRequest() + '\r'
                 << obex::folderListingRequest() + '\r' << "+++";
        QCOMPARE(rig.modem->writes(), expected);

        QStringList log{QStringLiteral("OBEX CONNECTING BEGIN"), QStringLiteral("Write..ATE1"),
                        QStringLiteral("Read..ATE..OK")};
        if (readSMS)
            log << QStringLiteral("Write..Read SMS") << QStringLiteral("Read..Read SMS..OK");
        log << QStringLiteral("Write..AT^SQWE=0") << QStringLiteral("Read..AT^SQWE=0..OK")
            << QStringLiteral("Write..AT^SQWE=3") << QStringLiteral("Read..AT^SQWE=3..OK")
            << QStringLiteral("Write..ObexConnect");
        const QStringList got = rig.log();
        QCOMPARE(got.mid(0, log.size()), log);
        QVERIFY(got.contains(QStringLiteral("Read..ObexConnect..OK")));
        QVERIFY(got.contains(QStringLiteral("Write..FolderListing")));
        QCOMPARE(got.last(), QStringLiteral("OBEX CONNECTING END"));
        QVERIFY(rig.link->modemAtMode());
    }

    // The set-path bytes and the connection ids are the engine's (tests/core); here the log.
    void walkToPhotos()
    {
        PhoneRig rig(5, [](const QString &root) { QDir().mkpath(root + QStringLiteral("/obex/mmc/photos")); });
        const auto r = connectAndList(rig, false, {QStringLiteral("mmc"), QStringLiteral("photos")});
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QVERIFY(r.value.entries.isEmpty());
        const QStringList log = rig.log();
        QVERIFY(log.indexOf(QStringLiteral("Write..Entering mmc")) < log.indexOf(QStringLiteral("Write..Entering photos")));
        QCOMPARE(int(log.count(QStringLiteral("Read..Done..OK"))), 2);
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    // A listing larger than one packet asks for the rest once per further packet.
    void multiPacketListing()
    {
        PhoneRig rig(7);
        const QStringList path{QStringLiteral("mmc"), QStringLiteral("Hudba"), QStringLiteral("Velká sbírka")};
        const auto r = connectAndList(rig, false, path);
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value.entries.size(), 150);
        QVERIFY(r.value.entries.first().name.contains(QStringLiteral("Tom & Jerry")));
        const int continuations = count(rig.modem->writes(), obex::listingContinuationRequest());
        QVERIFY(continuations >= 2);
        QCOMPARE(int(rig.log().count(QStringLiteral("Write..Requesting rest of Dir Contain"))), continuations);
        QVERIFY2(rig.anomalies().isEmpty(), qPrintable(rig.anomalies()));
    }

    void emptyFolders_data()
    {
        QTest::addColumn<QStringList>("path");
        QTest::newRow("root") << QStringList{};
        QTest::newRow("one level down") << QStringList{QStringLiteral("mmc")};
    }
    void emptyFolders()
    {
        QFETCH(QStringList, path);
        PhoneRig rig(8, [](const QString &root) {
            QDir().mkpath(root + QStringLiteral("/brew-fs"));
            QDir().mkpath(root + QStringLiteral("/obex"));
        });
        if (!path.isEmpty())
            QDir().mkpath(rig.phone->obexRoot() + QLatin1Char('/') + path.join(QLatin1Char('/')));
        const auto r = connectAndList(rig, false, path);
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QVERIFY(r.value.entries.isEmpty());
    }

    // Memory sizes are asked at a top-level folder: 1048576 bytes read "1 024 k ".
    void memoryLabelAtTopLevel()
    {
        PhoneRig rig(9, [](const QString &root) {
            QDir().mkpath(root + QStringLiteral("/brew-fs"));
            QDir().mkpath(root + QStringLiteral("/obex/mmc"));
        });
        rig.phone->modem().obex().setCapacity({1048576, 1048576});
        const auto r = connectAndList(rig, false, {QStringLiteral("mmc")});
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QVERIFY(r.value.memory.queried);
        QCOMPARE(r.value.memory.second, 1048576u);
        QCOMPARE(explorer::memoryLabel(QStringLiteral("Volno: "), r.value.memory.freeSpace, QStringLiteral("Celkem: "),
                                       r.value.memory.second),
                 QStringLiteral("Volno: 1 024 k Celkem: 1 024 k "));
        // Deeper folders ask only when a jump asks for it.
        ObexSession again(*rig.link);
        QDir().mkpath(rig.phone->obexRoot() + QStringLiteral("/mmc/a"));
        const auto deeper = QCoro::waitFor(again.list({QStringLiteral("mmc"), QStringLiteral("a")}, false));
        QVERIFY(deeper.ok());
        QVERIFY(!deeper.value.memory.queried);
        const auto jumped = QCoro::waitFor(again.list({QStringLiteral("mmc"), QStringLiteral("a")}, true));
        QVERIFY(jumped.ok());
        QVERIFY(jumped.value.memory.queried);
    }

    void missingFolderIsNotFound()
    {
        PhoneRig rig(10);
        const auto r = connectAndList(rig, false, {QStringLiteral("mmc"), QStringLiteral("no such folder")});
        QCOMPARE(r.outcome.kind, FailureKind::NotFound);
        // The phone is back in command mode and answers the next listing.
        ObexSession again(*rig.link);
        QVERIFY(QCoro::waitFor(again.list({QStringLiteral("mmc")}, false)).ok());
    }

    void silenceMidListingTimesOut()
    {
        PhoneRig rig(11);
        rig.phone->controls().goSilentAt(QStringLiteral("obex continue"));
        rig.link->timing().replyLimit = std::chrono::milliseconds(300);
        const auto r = connectAndList(rig, false,
                                      {QStringLiteral("mmc"), QStringLiteral("Hudba"), QStringLiteral("Velká sbírka")});
        QCOMPARE(r.outcome.kind, FailureKind::TimeOut);
        QVERIFY(r.outcome.isLinkFailure());
    }

    // The OBEX phase has one limit for all its steps, however long one reply may take.
    void obexPhaseLimit()
    {
        PhoneRig rig(16);
        rig.phone->controls().goSilentAt(QStringLiteral("obex connect"));
        rig.link->timing().replyLimit = std::chrono::milliseconds(20000);
        rig.link->timing().obexPhaseLimit = std::chrono::milliseconds(300);
        QElapsedTimer clock;
        clock.start();
        const auto r = connectAndList(rig, false, {});
        QCOMPARE(r.outcome.kind, FailureKind::TimeOut);
        QVERIFY(clock.elapsed() < 10000);
    }

    void errorDuringConnectIsPhoneError()
    {
        PhoneRig rig(12);
        rig.phone->controls().answerErrorTo(QStringLiteral("AT^SQWE=3"));
        const auto r = connectAndList(rig, false, {});
        QCOMPARE(r.outcome.kind, FailureKind::PhoneError);
        QCOMPARE(r.outcome.detail, QStringLiteral("Received Error from phone. Try to restart it"));
    }

    void phoneInfoWithOneError()
    {
        PhoneRig rig(13);
        rig.phone->controls().answerErrorTo(QStringLiteral("AT+CGSN"));
        QVERIFY(!rig.modem->open());
        const auto r = QCoro::waitFor(readPhoneInfo(*rig.link));
        QVERIFY2(r.ok(), qPrintable(r.outcome.detail));
        QCOMPARE(r.value.size(), 9);
        QCOMPARE(r.value.at(3).value, QStringLiteral("ERROR"));
        for (int i : {0, 1, 2, 4, 5})
            QVERIFY2(!r.value.at(i).value.isEmpty() && r.value.at(i).value != QStringLiteral("ERROR"),
                     qPrintable(r.value.at(i).label));
    }

    // A new-message notice is read at once with "readSMS" on, never while connecting, and
    // not at all with the setting off.
    void newMessageNotice_data()
    {
        QTest::addColumn<bool>("readSMS");
        QTest::addColumn<bool>("connecting");
        QTest::addColumn<bool>("reads");
        QTest::newRow("on") << true << false << true;
        QTest::newRow("off") << false << false << false;
        QTest::newRow("while connecting") << true << true << false;
    }
    void newMessageNotice()
    {
        QFETCH(bool, readSMS);
        QFETCH(bool, connecting);
        QFETCH(bool, reads);
        PhoneRig rig(14);
        ReceiveDispatcher dispatcher(*rig.link);
        dispatcher.setReadSMS(readSMS);
        dispatcher.setConnecting(connecting);
        QVERIFY(!rig.modem->open());
        rig.phone->sendUnsolicited(QByteArrayLiteral("+CMTI: \"SM\",12"));
        QTest::qWait(100);
        QCOMPARE(rig.modem->writes().contains(QByteArrayLiteral("AT+CMGR=12\r")), reads);
    }

    void errorOnEachTab_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("text");
        QTest::newRow("explorer") << int(ReceiveDispatcher::Tab::Explorer)
                                  << QStringLiteral("Received Error from phone. Try to restart it");
        QTest::newRow("sms") << int(ReceiveDispatcher::Tab::Sms) << QStringLiteral("Received Error from phone");
        QTest::newRow("other") << int(ReceiveDispatcher::Tab::Other) << QString();
    }
    void errorOnEachTab()
    {
        QFETCH(int, tab);
        QFETCH(QString, text);
        PhoneRig rig(15);
        ReceiveDispatcher dispatcher(*rig.link);
        dispatcher.setTab(ReceiveDispatcher::Tab(tab));
        QSignalSpy fatal(rig.link.get(), &PhoneLink::fatalError);
        QVERIFY(!rig.modem->open());
        rig.phone->controls().answerErrorTo(QStringLiteral("AT"));
        rig.modem->write("AT\r");
        QTest::qWait(100);
        QCOMPARE(fatal.count(), text.isEmpty() ? 0 : 1);
        if (!text.isEmpty()) {
            QCOMPARE(fatal.at(0).at(0).toString(), text);
            QVERIFY(!rig.modem->isOpen());
        }
    }
};

VANDREL_TEST(ConnectObexTest)
#include "tst_connect_obex.moc"
