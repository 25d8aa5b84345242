// The program driven as an impatient user on a slow virtual phone: windows closed early,
// commands given while the port is busy, the cable pulled while a question shows, the main
// window closed in the middle of a transfer.
#include "common/testmain.h"

#ifdef VANDREL_HAVE_PHONESIM

#include "phonewindow.h"

#include <channel/fakeserialchannel.h>
#include <link/paths.h>
#include <ui/transferwindow.h>
#include <ui/phoneinfowindow.h>
#include <ui/transferwindow.h>
#include <ui/workwindow.h>

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QSignalSpy>
#include <QTreeWidget>

using namespace phonewindow;
using explorertest::captions;

namespace {

QList<QMessageBox *> visibleBoxes(MainWindow *w, const QString &name)
{
    QList<QMessageBox *> out;
    for (QMessageBox *b : w->findChildren<QMessageBox *>(name))
        if (b->isVisible())
            out << b;
    return out;
}

void closeBoxes(MainWindow *w, const QString &name)
{
    for (QMessageBox *b : visibleBoxes(w, name))
        b->close();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

channel::FakeSerialChannel *fake(link::SerialChannel *port) { return static_cast<channel::FakeSerialChannel *>(port); }

} // namespace

class GuiReliabilityTest : public QObject {
    Q_OBJECT
private slots:
    // "Zobrazit info" closed while its queries run, or after all of them: nothing is left
    // holding the port, and F5 lists the phone folder.
    void phoneInfoClosedThenRefresh_data()
    {
        QTest::addColumn<bool>("early");
        QTest::newRow("closed early") << true;
        QTest::newRow("closed after all answers") << false;
    }
    void phoneInfoClosedThenRefresh()
    {
        QFETCH(bool, early);
        PhoneWindow pw(31);
        QVERIFY(pw.connectAndEnter(QStringLiteral("mmc")));
        pw.phone.controls().delayReplies(40, phonesim::Controls::Modem);
        pw.w->action(QStringLiteral("Zobrazitinfo1"))->trigger();
        QPointer<PhoneInfoWindow> info;
        QTRY_VERIFY((info = pw.w->findChild<PhoneInfoWindow *>()) != nullptr);
        QSignalSpy finished(info.data(), &PhoneInfoWindow::finishedReading);
        if (early)
            QTRY_VERIFY(info->list()->topLevelItemCount() >= 1);
        else
            QTRY_VERIFY_WITH_TIMEOUT(finished.size() == 1, 10000);
        info->close();
        QTRY_VERIFY(!info);

        pw.tab->phoneModel()->clear();
        pw.tab->activatePhonePane();
        pw.w->action(QStringLiteral("pAktualizovat"))->trigger();
        QVERIFY(listed(pw.tab));
        QCOMPARE(captions(pw.tab->phoneModel()), pw.expectedCaptions(QStringLiteral("mmc")));
        QVERIFY(visibleBoxes(pw.w.get(), QStringLiteral("ErrorBox")).isEmpty());
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }

    // Commands given while a BREW listing holds the port are refused with a short message;
    // nothing is left waiting for ever, and the same commands work once the listing is in.
    void commandsDuringABrewListing()
    {
        PhoneWindow pw(32);
        QVERIFY(pw.connectBrewInto({QStringLiteral("brew")}));
        QTemporaryDir local;
        QVERIFY(writeFile(local.filePath(QStringLiteral("up.txt")), "up"));
        pw.tab->computer().list(local.path());
        pw.tab->computerView()->selectRow(pw.tab->computerModel()->rowOf(QStringLiteral("up.txt")));
        pw.tab->activatePhonePane();
        pw.phone.controls().delayReplies(60, phonesim::Controls::Diag);
        pw.w->action(QStringLiteral("pAktualizovat"))->trigger();
        QTRY_VERIFY(pw.w->phoneLink().isClaimed(link::PhoneLink::Port::Diag));

        pw.w->action(QStringLiteral("pNovyadresar"))->trigger();
        pw.tab->activateComputerPane();
        pw.w->action(QStringLiteral("pKopirovat"))->trigger();
        QCOMPARE(visibleBoxes(pw.w.get(), QStringLiteral("ErrorBox")).size(), 2);
        QVERIFY(!pw.w->findChild<QInputDialog *>(QStringLiteral("InputBox")));
        QVERIFY(visibleBoxes(pw.w.get(), QStringLiteral("QuestionBox")).isEmpty());
        closeBoxes(pw.w.get(), QStringLiteral("ErrorBox"));

        QVERIFY(listed(pw.tab));
        pw.phone.controls().delayReplies(0, phonesim::Controls::Diag);
        pw.w->action(QStringLiteral("pNovyadresar"))->trigger();
        QTRY_VERIFY(pw.w->findChild<QInputDialog *>(QStringLiteral("InputBox")));
        pw.w->findChild<QInputDialog *>(QStringLiteral("InputBox"))->reject();
        QVERIFY2(pw.phone.anomalies().isEmpty(), qPrintable(pw.phone.anomalies().join(QLatin1Char('\n'))));
    }

    // The cable is pulled while the operation waits for the user's answer: the question goes
    // with the operation, one error box says what happened, and nothing on either side changed.
    void lostLinkWhileAQuestionShows_data()
    {
        QTest::addColumn<bool>("brew");
        QTest::newRow("OBEX: replace the phone's file?") << false;
        QTest::newRow("BREW: delete a folder?") << true;
    }
    void lostLinkWhileAQuestionShows()
    {
        QFETCH(bool, brew);
        PhoneWindow pw(33);
        const QString phoneRoot = pw.dir.filePath(QStringLiteral("phone"));
        QTemporaryDir local;
        const QString onPhone = brew ? phonesim::brewRootOf(phoneRoot) + QStringLiteral("/brew/victim/keep.txt")
                                     : phonesim::obexRootOf(phoneRoot) + QStringLiteral("/mmc/dup.txt");
        QVERIFY(writeFile(onPhone, "phone's own"));
        QVERIFY(writeFile(local.filePath(QStringLiteral("dup.txt")), "local copy"));
        if (brew) {
            QVERIFY(pw.connectBrewInto({QStringLiteral("brew")}));
            pw.tab->activatePhonePane();
            pw.tab->phoneView()->selectRow(pw.tab->phoneModel()->rowOf(QStringLiteral("[victim]")));
            pw.w->action(QStringLiteral("pSmazat"))->trigger();
        } else {
            QVERIFY(pw.connectAndEnter(QStringLiteral("mmc")));
            pw.tab->computer().list(local.path());
            pw.tab->computerView()->selectRow(pw.tab->computerModel()->rowOf(QStringLiteral("dup.txt")));
            pw.tab->activateComputerPane();
            pw.w->action(QStringLiteral("pKopirovat"))->trigger();
        }
        QVERIFY(answer(pw.w.get(), QMessageBox::Yes)); // "delete?" / "copy?"
        // The work's own question: the folder warning, or "already exists. Overwrite it?".
        QTRY_VERIFY(pw.w->findChild<WorkWindow *>());
        QTRY_COMPARE(visibleBoxes(pw.w.get(), QStringLiteral("QuestionBox")).size(), 1);

        link::PhoneLink &phone = pw.w->phoneLink();
        fake(brew ? phone.diagPort() : phone.modemPort())->hangUp();
        QTRY_VERIFY(visibleBoxes(pw.w.get(), QStringLiteral("QuestionBox")).isEmpty());
        QTRY_VERIFY(!pw.w->findChild<WorkWindow *>());
        QTest::qWait(300);
        QCOMPARE(visibleBoxes(pw.w.get(), QStringLiteral("ErrorBox")).size(), 1);
        QCOMPARE(readFile(onPhone), QByteArray("phone's own"));
        QCOMPARE(readFile(local.filePath(QStringLiteral("dup.txt"))), QByteArray("local copy"));
        QCOMPARE(pw.w->statusPanel(0)->text(), pw.w->message(Msg::NotConnected, QStringLiteral("Nepřipojeno")));
    }

    // Closing the port on purpose (disconnect, a tab that needs the other port) in the middle
    // of a listing is no error: no box, and the next connection lists again.
    void closedOnPurposeDuringAListing_data()
    {
        QTest::addColumn<bool>("tabChange");
        QTest::newRow("disconnect") << false;
        QTest::newRow("to the address book") << true;
    }
    void closedOnPurposeDuringAListing()
    {
        QFETCH(bool, tabChange);
        PhoneWindow pw(34);
        QVERIFY(pw.connectAndEnter(QStringLiteral("mmc")));
        pw.phone.controls().delayReplies(60, phonesim::Controls::Modem);
        pw.tab->activatePhonePane();
        pw.w->action(QStringLiteral("pAktualizovat"))->trigger();
        QTRY_VERIFY(pw.w->phoneLink().isClaimed(link::PhoneLink::Port::Modem));
        if (tabChange)
            pw.w->tabs()->setCurrentIndex(MainWindow::AddressBook);
        else
            pw.w->connection().toggleConnection();
        QTRY_VERIFY(!pw.w->phoneLink().isClaimed(link::PhoneLink::Port::Modem));
        QTest::qWait(300);
        QVERIFY(visibleBoxes(pw.w.get(), QStringLiteral("ErrorBox")).isEmpty());

        pw.phone.controls().delayReplies(0, phonesim::Controls::Modem);
        if (tabChange) {
            QVERIFY(pw.w->phoneLink().diagPort()->isOpen());
            pw.w->connection().toggleConnection();
            pw.w->tabs()->setCurrentIndex(MainWindow::Explorer);
        }
        pw.w->connection().toggleConnection();
        QVERIFY(listed(pw.tab));
        QVERIFY(visibleBoxes(pw.w.get(), QStringLiteral("ErrorBox")).isEmpty());
    }

    // A reconnect from the access box that fails leaves every indicator saying "not connected".
    void failedAccessBoxReconnect()
    {
        PhoneWindow pw(35);
        QVERIFY(pw.connectAndEnter(QStringLiteral("mmc")));
        QVERIFY(!pw.tab->findChild<QLabel *>(QStringLiteral("Label2"))->text().isEmpty());
        fake(pw.w->phoneLink().diagPort())->failOpen({link::OpenError::Kind::Busy, QStringLiteral("busy")});
        pw.tab->phone().chooseAccess(1);
        QTRY_COMPARE_WITH_TIMEOUT(visibleBoxes(pw.w.get(), QStringLiteral("ErrorBox")).size(), 1, 10000);
        QVERIFY(!pw.w->connection().isConnected());
        QCOMPARE(pw.w->statusPanel(0)->text(), pw.w->message(Msg::NotConnected, QStringLiteral("Nepřipojeno")));
        QCOMPARE(pw.w->statusPanel(1)->text(), pw.w->message(Msg::Offline, QStringLiteral("Offline")));
        QCOMPARE(pw.w->action(QStringLiteral("Pipojit1"))->text(), pw.w->message(Msg::ConnectMenu, QStringLiteral("Připojit")));
        QVERIFY(pw.tab->findChild<QLabel *>(QStringLiteral("Label2"))->text().isEmpty());
        // The box keeps the user's choice for the next connect.
        QCOMPARE(pw.w->connection().chosenAccessMode(), AccessMode::Brew);
    }

    // Closing the program in the middle of a transfer cancels it and tears everything down in
    // order (the sanitizer build checks the order).
    void closingDuringATransfer_data()
    {
        QTest::addColumn<bool>("brew");
        QTest::newRow("OBEX") << false;
        QTest::newRow("BREW") << true;
    }
    void closingDuringATransfer()
    {
        QFETCH(bool, brew);
        PhoneWindow pw(36);
        QTemporaryDir local;
        const QString phoneRoot = pw.dir.filePath(QStringLiteral("phone"));
        QVERIFY(writeFile(brew ? phonesim::brewRootOf(phoneRoot) + QStringLiteral("/brew/big.bin")
                               : phonesim::obexRootOf(phoneRoot) + QStringLiteral("/mmc/big.bin"),
                          QByteArray(200000, 'x')));
        if (brew)
            QVERIFY(pw.connectBrewInto({QStringLiteral("brew")}));
        else
            QVERIFY(pw.connectAndEnter(QStringLiteral("mmc")));
        pw.phone.controls().delayReplies(10);
        pw.tab->computer().list(local.path());
        pw.tab->activatePhonePane();
        pw.tab->phoneView()->selectRow(pw.tab->phoneModel()->rowOf(QStringLiteral("big.bin")));
        pw.w->action(QStringLiteral("pKopirovat"))->trigger();
        QVERIFY(answer(pw.w.get(), QMessageBox::Yes));
        QTRY_VERIFY(pw.w->findChild<WorkWindow *>() && pw.w->findChild<WorkWindow *>()->isWorking());
        pw.w->close();
        pw.w.reset();
        QTest::qWait(100);
        QVERIFY(!QFileInfo::exists(local.filePath(QStringLiteral("big.bin"))));
    }

    // Favourites that cannot be saved at exit: the error is on screen, and the window goes
    // only once it has been read.
    void favouritesErrorAtExitIsRead()
    {
        PhoneWindow pw(37);
        const QString blocker = link::dataFile(QStringLiteral("PCdirs.vdl"));
        QFile::remove(blocker);
        QVERIFY(QDir().mkpath(blocker)); // a folder where the file must go
        pw.w->close();
        QVERIFY(pw.w->isVisible());
        QTRY_COMPARE(visibleBoxes(pw.w.get(), QStringLiteral("ErrorBox")).size(), 1);
        closeBoxes(pw.w.get(), QStringLiteral("ErrorBox"));
        QTRY_VERIFY(!pw.w->isVisible());
        QDir(blocker).removeRecursively();
    }
};
VANDREL_TEST(GuiReliabilityTest)

#endif

#include "tst_gui_reliability.moc"
