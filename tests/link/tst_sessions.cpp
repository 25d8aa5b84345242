#include "common/testmain.h"
#include "scriptedphone.h"

#include <link/connectsession.h>
#include <link/phoneinfosession.h>

#include <QSignalSpy>
#include <QTest>

using namespace vandrel::link;
using vandrel::channel::FakeSerialChannel;
using namespace std::chrono_literals;

namespace {
struct Rig {
    FakeSerialChannel *modem = new FakeSerialChannel;
    FakeSerialChannel *diag = new FakeSerialChannel;
    PhoneLink link{modem, diag};
    ScriptedPhone phone{modem};
    Rig()
    {
        auto &t = link.timing();
        t.escapePause = 1ms;
        t.openRetry = 5ms;
        t.replyLimit = 300ms;
        t.echoLimit = 100ms;
        t.escapeGuard = 5ms;
    }
    QStringList logLines() const
    {
        QStringList out;
        for (const auto &l : const_cast<PhoneLink &>(link).log().lines())
            out << QString::fromLatin1(l);
        return out;
    }
};
} // namespace

class SessionsTest : public QObject {
    Q_OBJECT
private slots:
    void phoneInfoWithOneRefusal()
    {
        Rig rig;
        QVERIFY(!rig.modem->open());
        rig.phone.answers["AT+CGMI"] = "Vandrel";
        rig.phone.answers["AT+CBC"] = "+CBC: 0,64";
        rig.phone.answers["AT+COPS?"] = "+COPS: 0,0,\"Vodafone CZ\"";
        rig.phone.refuse << "AT+CIMI";
        QList<PhoneInfoRow> seen;
        const auto r = QCoro::waitFor(readPhoneInfo(rig.link, [&](const PhoneInfoRow &row) { seen << row; return true; }));
        QVERIFY(r.ok());
        QCOMPARE(r.value.size(), 9);
        QCOMPARE(seen.size(), 9);
        QCOMPARE(r.value.at(0).value, QStringLiteral("Vandrel"));
        QCOMPARE(r.value.at(4).value, QStringLiteral("64 %"));
        QCOMPARE(r.value.at(6).value, QStringLiteral("Vodafone CZ"));
        QCOMPARE(r.value.at(7).value, QStringLiteral("ERROR"));
        QCOMPARE(rig.phone.received, (QList<QByteArray>{"AT+CGMI", "AT+CGMM", "AT+CGMR", "AT+CGSN", "AT+CBC",
                                                        "AT+CSQ", "AT+COPS?", "AT+CIMI", "AT^SCID"}));
    }

    void phoneInfoOnClosedPortSendsNothing()
    {
        Rig rig;
        const auto r = QCoro::waitFor(readPhoneInfo(rig.link));
        QVERIFY(r.ok());
        QVERIFY(r.value.isEmpty());
        QVERIFY(rig.phone.received.isEmpty());
    }

    void silenceEndsInTimeOut()
    {
        Rig rig;
        QVERIFY(!rig.modem->open());
        rig.phone.end.close(); // a phone that hears nothing says nothing
        const auto r = QCoro::waitFor(readPhoneInfo(rig.link));
        QVERIFY(r.outcome.isLinkFailure());
        QCOMPARE(r.outcome.kind, FailureKind::TimeOut);
    }

    void echoSequence_data()
    {
        QTest::addColumn<bool>("readSMS");
        QTest::addColumn<QList<QByteArray>>("wire");
        QTest::addColumn<QStringList>("log");
        QTest::newRow("without notices") << false << QList<QByteArray>{"ATE1"}
                                         << QStringList{QStringLiteral("Write..ATE1"), QStringLiteral("Read..ATE..OK")};
        QTest::newRow("with notices") << true << QList<QByteArray>{"ATE1", "AT+CNMI=1,1,0,2"}
                                      << QStringList{QStringLiteral("Write..ATE1"), QStringLiteral("Read..ATE..OK"),
                                                     QStringLiteral("Write..Read SMS"),
                                                     QStringLiteral("Read..Read SMS..OK")};
    }
    void echoSequence()
    {
        QFETCH(bool, readSMS);
        QFETCH(QList<QByteArray>, wire);
        QFETCH(QStringList, log);
        Rig rig;
        ConnectSession s(rig.link, ConnectMode::Obex, readSMS);
        QVERIFY(QCoro::waitFor(s.openPort()).ok());
        QVERIFY(QCoro::waitFor(s.echoAndNotices()).ok());
        QCOMPARE(rig.phone.received, wire);
        QCOMPARE(rig.logLines(), log);
        QVERIFY(QCoro::waitFor(s.enterObexMode(true)).ok());
        QCOMPARE(rig.phone.received.mid(wire.size()), (QList<QByteArray>{"+++", "AT^SQWE=0", "AT^SQWE=3"}));
        QVERIFY(rig.phone.obexMode);
        QVERIFY(!rig.link.modemAtMode());
    }

    void staleObexRecovered()
    {
        Rig rig;
        rig.phone.obexMode = true; // left there by an earlier session
        ConnectSession s(rig.link, ConnectMode::Obex, false);
        QVERIFY(QCoro::waitFor(s.openPort()).ok());
        const Outcome o = QCoro::waitFor(s.echoAndNotices());
        QVERIFY2(o.ok(), qPrintable(o.detail));
        QCOMPARE(rig.phone.received, (QList<QByteArray>{"ATE1", "+++", "ATE1"}));
    }

    void deadPhoneGivesUpAfterOneRecovery()
    {
        Rig rig;
        rig.phone.end.close();
        ConnectSession s(rig.link, ConnectMode::Obex, false);
        QVERIFY(QCoro::waitFor(s.openPort()).ok());
        const Outcome o = QCoro::waitFor(s.echoAndNotices());
        QCOMPARE(o.kind, FailureKind::TimeOut);
        QCOMPARE(rig.modem->writes(), (QList<QByteArray>{"ATE1\r", "+++", "ATE1\r"}));
    }

    // Six tries per connection attempt; earlier failures do not count against a new one.
    void openTriesPerAttempt_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<int>("tries");
        QTest::newRow("first try") << 0 << true << 1;
        QTest::newRow("fifth try") << 4 << true << 5;
        QTest::newRow("sixth try") << 5 << true << 6;
        QTest::newRow("never") << -1 << false << 6;
    }
    void openTriesPerAttempt()
    {
        QFETCH(int, failures);
        QFETCH(bool, opens);
        QFETCH(int, tries);
        Rig rig;
        if (failures != 0)
            rig.modem->failOpen({OpenError::Kind::Busy, QStringLiteral("busy")}, failures);
        ConnectSession s(rig.link, ConnectMode::Obex, false);
        QSignalSpy spy(&s, &ConnectSession::openTry);
        const Outcome o = QCoro::waitFor(s.openPort());
        QCOMPARE(o.ok(), opens);
        QCOMPARE(rig.modem->openTries(), tries);
        QCOMPARE(spy.count(), tries);
        if (!opens)
            QCOMPARE(o.detail, QStringLiteral("busy"));
        // A second attempt starts counting afresh.
        rig.modem->close();
        rig.modem->failOpen({OpenError::Kind::Busy, QStringLiteral("busy")}, 5);
        QVERIFY(QCoro::waitFor(s.openPort()).ok());
    }

    void atOnlyConnectSendsEchoAndStands()
    {
        Rig rig;
        ConnectSession s(rig.link, ConnectMode::AtOnly, true);
        QVERIFY(QCoro::waitFor(s.connectWithoutObex()).ok());
        QCOMPARE(rig.modem->writes(), (QList<QByteArray>{"ATE1\r"}));
        QCOMPARE(rig.logLines(), QStringList{QStringLiteral("OBEX CONNECTING BEGIN")});
    }

    void diagOnlyConnectSendsNothing()
    {
        Rig rig;
        ConnectSession s(rig.link, ConnectMode::DiagOnly, false);
        QVERIFY(QCoro::waitFor(s.connectWithoutObex()).ok());
        QVERIFY(rig.diag->isOpen());
        QVERIFY(!rig.modem->isOpen());
        QVERIFY(rig.diag->writes().isEmpty());
    }
};

VANDREL_TEST(SessionsTest)
#include "tst_sessions.moc"
