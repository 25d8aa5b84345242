#include "common/testmain.h"
#include "link/scriptedphone.h"

#include <ui/connection.h>
#include <ui/connectwindow.h>
#include <ui/mainwindow.h>

#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace vandrel;
using namespace vandrel::ui;
using namespace std::chrono_literals;

namespace {

class FakeProcesses final : public link::ProcessList {
public:
    QList<link::ProcessInfo> running;
    QList<qint64> ended;
    QList<link::ProcessInfo> snapshot() const override { return running; }
    bool terminate(qint64 pid) override
    {
        ended << pid;
        return true;
    }
};

struct Window {
    channel::FakeSerialChannel *modem = new channel::FakeSerialChannel;
    channel::FakeSerialChannel *diag = new channel::FakeSerialChannel;
    std::unique_ptr<MainWindow> w;
    std::unique_ptr<ScriptedPhone> phone;
    FakeProcesses processes;
    Window()
    {
        auto phoneLink = std::make_unique<link::PhoneLink>(modem, diag);
        auto &t = phoneLink->timing();
        t.escapePause = 1ms;
        t.openRetry = 5ms;
        t.replyLimit = 300ms;
        t.echoLimit = 100ms;
        t.escapeGuard = 5ms;
        t.obexPhaseLimit = 2000ms;
        w = std::make_unique<MainWindow>(std::move(phoneLink));
        phone = std::make_unique<ScriptedPhone>(modem);
        w->connection().setProcessList(&processes);
        w->create();
    }
    QMessageBox *box(const char *name) const { return w->findChild<QMessageBox *>(QString::fromLatin1(name)); }
};

} // namespace

class ConnectionTest : public QObject {
    Q_OBJECT
private slots:
    void competingProgramEndedOnYes()
    {
        Window win;
        win.processes.running = {{11, QStringLiteral("bash")}, {42, QStringLiteral("QPSTServer.exe")},
                                 {43, QStringLiteral("qpstserver.exe")}};
        win.w->connection().checkCompetingPrograms();
        QMessageBox *q = nullptr;
        QTRY_VERIFY((q = win.w->findChild<QMessageBox *>()) != nullptr);
        QVERIFY(q->text().contains(QStringLiteral("QPSTServer")));
        QVERIFY(q->text().contains(QStringLiteral("Brew")));
        q->button(QMessageBox::Yes)->click();
        QTRY_COMPARE(win.processes.ended, (QList<qint64>{42, 43}));
    }

    void competingProgramKeptOnNo()
    {
        Window win;
        win.processes.running = {{7, QStringLiteral("Mobile Phone Manager.exe")}};
        win.w->connection().checkCompetingPrograms();
        QMessageBox *q = nullptr;
        QTRY_VERIFY((q = win.w->findChild<QMessageBox *>()) != nullptr);
        QVERIFY(q->text().contains(QStringLiteral("MPM")));
        QVERIFY(q->text().contains(QStringLiteral("Obex")));
        q->button(QMessageBox::No)->click();
        QTest::qWait(20);
        QVERIFY(win.processes.ended.isEmpty());
    }

    // From the SMS tab only echo mode is asked for, and the connection stands at once.
    void connectFromSmsTab()
    {
        Window win;
        win.w->tabs()->setCurrentIndex(MainWindow::Sms);
        win.w->action(QStringLiteral("Pipojit1"))->trigger();
        QTRY_VERIFY(win.w->connection().isConnected());
        QTRY_VERIFY(!win.w->connection().connectWindow());
        QCOMPARE(win.modem->writes(), (QList<QByteArray>{"ATE1\r"}));
        QCOMPARE(win.w->statusPanel(1)->text(), win.w->appSettings().portName + QStringLiteral(" & 14400 Bd"));
        QCOMPARE(win.w->action(QStringLiteral("Pipojit1"))->text(), win.w->message(Msg::DisconnectMenu));
        QVERIFY(!win.box("ErrorBox"));

        win.w->action(QStringLiteral("Pipojit1"))->trigger();
        QVERIFY(!win.w->connection().isConnected());
        QCOMPARE(win.w->action(QStringLiteral("Pipojit1"))->text(), win.w->message(Msg::ConnectMenu));
        QCOMPARE(win.w->statusPanel(0)->text(), win.w->message(Msg::NotConnected));
    }

    void connectFromAddressBookSendsNothing_data()
    {
        QTest::addColumn<int>("tab");
        QTest::newRow("address book") << int(MainWindow::AddressBook);
        QTest::newRow("calendar") << int(MainWindow::Calendar);
    }
    void connectFromAddressBookSendsNothing()
    {
        QFETCH(int, tab);
        Window win;
        win.w->tabs()->setCurrentIndex(tab);
        win.w->action(QStringLiteral("Pipojit1"))->trigger();
        QTRY_VERIFY(win.diag->isOpen());
        QVERIFY(!win.modem->isOpen());
        QTRY_VERIFY(!win.w->connection().connectWindow());
        QVERIFY(win.diag->writes().isEmpty());
        QVERIFY(win.modem->writes().isEmpty());
    }

    void portThatNeverOpensFails()
    {
        Window win;
        win.modem->failOpen({link::OpenError::Kind::Busy, QStringLiteral("busy")});
        win.w->tabs()->setCurrentIndex(MainWindow::Sms);
        win.w->action(QStringLiteral("Pipojit1"))->trigger();
        QVERIFY(win.w->connection().connectWindow());
        QTRY_VERIFY(win.box("ErrorBox"));
        QCOMPARE(win.modem->openTries(), 6);
        QVERIFY(win.box("ErrorBox")->text().startsWith(win.w->message(Msg::ConnectionFailed)));
        QVERIFY(!win.w->connection().isConnected());
    }

    void disconnectLogsObexEnd()
    {
        Window win;
        win.w->tabs()->setCurrentIndex(MainWindow::Sms);
        win.w->action(QStringLiteral("Pipojit1"))->trigger();
        QTRY_VERIFY(win.w->connection().isConnected());
        win.w->connection().disconnectPhone();
        QCOMPARE(win.w->phoneLink().log().lines().last(), QByteArrayLiteral("OBEX END"));
        QVERIFY(!win.modem->isOpen() && !win.diag->isOpen());
    }

    // Tab changes move between the ports: the SMS tab leaves OBEX mode, the address book
    // takes the diagnostic port, the SMS tab takes the modem port back.
    void tabChangesMovePorts()
    {
        Window win;
        win.w->tabs()->setCurrentIndex(MainWindow::Sms);
        win.w->action(QStringLiteral("Pipojit1"))->trigger();
        QTRY_VERIFY(!win.w->connection().connectWindow());
        win.modem->clearWrites();
        win.w->tabs()->setCurrentIndex(MainWindow::Calendar);
        win.w->tabs()->setCurrentIndex(MainWindow::Sms);
        QCOMPARE(win.modem->writes(), (QList<QByteArray>{"+++"}));
        win.w->tabs()->setCurrentIndex(MainWindow::AddressBook);
        QVERIFY(!win.modem->isOpen());
        QVERIFY(win.diag->isOpen());
        // 9600, the diagnostic port's own speed, is none of the offered ones: no speed text.
        QCOMPARE(win.w->statusPanel(1)->text(), win.w->appSettings().portName2);
        win.w->tabs()->setCurrentIndex(MainWindow::Sms);
        QVERIFY(win.modem->isOpen());
        QVERIFY(!win.diag->isOpen());
    }

    void resetOverModemPort()
    {
        Window win;
        win.w->tabs()->setCurrentIndex(MainWindow::Sms);
        win.w->action(QStringLiteral("Pipojit1"))->trigger();
        QTRY_VERIFY(!win.w->connection().connectWindow());
        win.modem->clearWrites();
        win.w->action(QStringLiteral("Reset1"))->trigger();
        QTRY_VERIFY(!win.modem->isOpen());
        QCOMPARE(win.modem->writes(), (QList<QByteArray>{"AT^SMSO\r"}));
        QCOMPARE(win.w->statusPanel(0)->text(), win.w->message(Msg::NotConnected));
    }
};

VANDREL_TEST(ConnectionTest)
#include "tst_connection.moc"
