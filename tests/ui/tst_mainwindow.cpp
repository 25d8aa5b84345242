#include "common/testmain.h"

#include <channel/fakeserialchannel.h>
#include <link/paths.h>
#include <ui/mainwindow.h>
#include <ui/shell.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTest>

using namespace vandrel;
using namespace vandrel::ui;

namespace {

struct Window {
    channel::FakeSerialChannel *modem = new channel::FakeSerialChannel;
    channel::FakeSerialChannel *diag = new channel::FakeSerialChannel;
    std::unique_ptr<MainWindow> w;
    explicit Window(MainWindowOptions o = {})
        : w(std::make_unique<MainWindow>(std::make_unique<link::PhoneLink>(modem, diag), o))
    {
    }
};

QString logPath() { return link::dataFile(QStringLiteral("log.txt")); }

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        QFile::remove(logPath());
        QFile::remove(vtest::home() + QStringLiteral("/settings.ini"));
    }

    void showsTabsMenusAndStatus()
    {
        Window win;
        win.w->create();
        win.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        QCOMPARE(win.w->objectName(), QStringLiteral("TForm3"));
        QVERIFY(win.w->windowTitle().startsWith(QStringLiteral("Vandrel Controller - 0.7")));

        QTabWidget *tabs = win.w->tabs();
        QCOMPARE(tabs->count(), 5);
        for (const char *page : {"TabSheet1", "TabSheet2", "TabSheet3", "TabSheet4", "TabSheet9"})
            QVERIFY2(win.w->findChild<QWidget *>(QString::fromLatin1(page)), page);
        for (int i = 0; i < tabs->count(); ++i)
            QVERIFY(!tabs->tabText(i).isEmpty());

        // Menu bar order: settings, connect, phone; help in the right corner.
        const QList<QAction *> top = win.w->menuBar()->actions();
        QCOMPARE(top.size(), 3);
        QCOMPARE(top.at(0)->objectName(), QStringLiteral("Nastaven1"));
        QCOMPARE(top.at(1)->objectName(), QStringLiteral("Pipojit1"));
        QCOMPARE(top.at(2)->objectName(), QStringLiteral("MTelefon"));
        QMenu *help = win.w->menu(QStringLiteral("Npovda1"));
        QVERIFY(help);
        QCOMPARE(win.w->menuBar()->cornerWidget(Qt::TopRightCorner), help->parentWidget());
        QStringList phoneItems;
        for (QAction *a : win.w->menu(QStringLiteral("MTelefon"))->actions())
            phoneItems << a->objectName();
        QCOMPARE(phoneItems, (QStringList{QStringLiteral("Zobrazitinfo1"), QStringLiteral("snmnoutdisplej2"),
                                          QStringLiteral("Emulace"), QStringLiteral("Md1")}));
        const QList<std::pair<const char *, QKeySequence>> modes{
            {"Online1", QKeySequence(Qt::CTRL | Qt::Key_N)}, {"Offline1", QKeySequence(Qt::CTRL | Qt::Key_F)},
            {"Factorymode1", QKeySequence(Qt::CTRL | Qt::Key_C)}, {"Reset1", QKeySequence(Qt::CTRL | Qt::Key_R)}};
        for (const auto &[name, key] : modes)
            QCOMPARE(win.w->action(QString::fromLatin1(name))->shortcut(), key);

        QVERIFY(!win.w->statusPanel(0)->text().isEmpty());
        QVERIFY(!win.w->statusPanel(1)->text().isEmpty());
        for (int i = 2; i < 5; ++i)
            QVERIFY(!win.w->statusPanel(i)->text().isEmpty());

        QMenu *tray = win.w->findChild<QMenu *>(QStringLiteral("trayPopUp"));
        QVERIFY(tray);
        QCOMPARE(tray->actions().size(), 1);
        QCOMPARE(tray->actions().first()->objectName(), QStringLiteral("Konec1"));
    }

    void creationAndClosingOrders()
    {
        Window win;
        QStringList order;
        auto &lc = win.w->lifecycle();
        // Attached out of order on purpose: the window runs them in its own order.
        lc.on(Step::SaveLog, [&] { order << QStringLiteral("log"); });
        lc.on(Step::SaveFavourites, [&] { order << QStringLiteral("favourites"); });
        lc.on(Step::ClosePorts, [&] { order << QStringLiteral("ports"); });
        lc.on(Step::SaveClosingSettings, [&] { order << QStringLiteral("settings"); });
        lc.on(Step::LoadFavourites, [&] { order << QStringLiteral("load favourites"); });
        lc.on(Step::CreateNameLists, [&] { order << QStringLiteral("name lists"); });
        lc.on(Step::ListComputerPane, [&] { order << QStringLiteral("list pc"); });
        lc.on(Step::CheckCompetingPrograms, [&] { order << QStringLiteral("competitors"); });

        win.w->create();
        QCOMPARE(order, (QStringList{QStringLiteral("name lists"), QStringLiteral("load favourites")}));
        win.w->show();
        // Start-up work waits until the window is on screen.
        QCOMPARE(order.size(), 2);
        QTRY_COMPARE(order.size(), 4);
        QCOMPARE(order.mid(2), (QStringList{QStringLiteral("competitors"), QStringLiteral("list pc")}));

        QVERIFY(!win.modem->open());
        win.w->close();
        QCOMPARE(order.mid(4), (QStringList{QStringLiteral("favourites"), QStringLiteral("settings"),
                                            QStringLiteral("ports"), QStringLiteral("log")}));
        QVERIFY(!win.modem->isOpen());
    }

    void logWrittenOnlyWhenOn_data()
    {
        QTest::addColumn<bool>("logOn");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void logWrittenOnlyWhenOn()
    {
        QFETCH(bool, logOn);
        Window win;
        win.w->create();
        win.w->appSettings().log = logOn;
        win.w->phoneLink().log().append(QStringLiteral("Write..ATE1"));
        win.w->close();
        QCOMPARE(QFile::exists(logPath()), logOn);
        if (logOn) {
            QFile f(logPath());
            QVERIFY(f.open(QIODevice::ReadOnly | QIODevice::Text));
            QCOMPARE(f.readAll(), QByteArrayLiteral("Write..ATE1\n"));
        }
    }

    void closingSavesPathAndReportFlag()
    {
        {
            Window win;
            win.w->create();
            win.w->settingsStore().saveAfterSettingsWindow(win.w->appSettings());
            win.w->appSettings().cesta = QStringLiteral("/srv/data");
            win.w->appSettings().statusreport = true;
            win.w->close();
        }
        Window again;
        again.w->create();
        QCOMPARE(again.w->appSettings().cesta, QStringLiteral("/srv/data"));
        QVERIFY(again.w->appSettings().statusreport);
    }

    void demoLeavesSettingsAlone()
    {
        MainWindowOptions demo;
        demo.demo = true;
        demo.saveSettings = false;
        Window win(demo);
        win.w->create();
        win.w->appSettings().cesta = QStringLiteral("/srv/demo");
        win.w->show();
        QVERIFY(win.w->windowTitle().contains(QStringLiteral("demo")));
        win.w->close();
        QVERIFY(!QFile::exists(vtest::home() + QStringLiteral("/settings.ini")));
    }

    void fatalErrorResetsIndicatorsAndReports()
    {
        Window win;
        win.w->create();
        win.w->show();
        QVERIFY(!win.modem->open());
        const QString idle0 = win.w->statusPanel(0)->text();
        win.w->setStatusPanel(0, QStringLiteral("Připojeno"));
        win.w->action(QStringLiteral("Pipojit1"))->setText(QStringLiteral("Odpojit"));
        bool panesEmptied = false;
        connect(win.w.get(), &MainWindow::linkReset, this, [&] { panesEmptied = true; });

        win.modem->hangUp();

        QCOMPARE(win.w->statusPanel(0)->text(), idle0);
        QVERIFY(win.w->action(QStringLiteral("Pipojit1"))->text() != QStringLiteral("Odpojit"));
        QVERIFY(panesEmptied);
        QVERIFY(!win.modem->isOpen());
        auto *box = win.w->findChild<QMessageBox *>(QStringLiteral("ErrorBox"));
        QVERIFY(box);
        QVERIFY(box->text().contains(QStringLiteral("!!!Fatalni chyba pri cteni z portu!!!")));
        box->close();
    }

    // Without a tray, or with "minimalize" off, minimising is ordinary; with both, the window
    // goes to the tray and comes back from it.
    void minimiseWithoutTray_data()
    {
        QTest::addColumn<bool>("minimalize");
        QTest::addColumn<bool>("tray");
        QTest::newRow("off") << false << true;
        QTest::newRow("on, no tray") << true << false;
        QTest::newRow("on, with a tray") << true << true;
    }
    void minimiseWithoutTray()
    {
        QFETCH(bool, minimalize);
        QFETCH(bool, tray);
        Window win;
        win.w->setTrayAvailability([tray] { return tray; });
        win.w->create();
        win.w->appSettings().minimalize = minimalize;
        win.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(win.w.get()));
        win.w->setWindowState(Qt::WindowMinimized);
        QTest::qWait(20);
        const bool toTray = minimalize && tray;
        QCOMPARE(win.w->trayIcon()->isVisible(), toTray);
        if (toTray) {
            QTRY_VERIFY(!win.w->isVisible());
            win.w->restoreFromTray();
            QVERIFY(win.w->isVisible());
            QVERIFY(!win.w->trayIcon()->isVisible());
        } else {
            QVERIFY(win.w->isVisible());
        }
    }

    void helpFallsBackToOpenWith()
    {
        auto &shell = ShellServices::instance();
        const ShellServices saved = shell;
        QString offered;
        shell.openAssociated = [](const QString &) { return false; };
        shell.openWith = [&](const QString &path, QWidget *) {
            offered = path;
            return true;
        };
        QFile chm(link::dataFile(QStringLiteral("VDLC.chm")));
        QVERIFY(chm.open(QIODevice::WriteOnly));
        chm.close();
        Window win;
        win.w->create();
        win.w->showHelp();
        shell = saved;
        QCOMPARE(offered, chm.fileName());
        QVERIFY(!win.w->findChild<QMessageBox *>(QStringLiteral("ErrorBox")));
        QFile::remove(chm.fileName());
    }

    void aboutShowsVersion()
    {
        Window win;
        win.w->create();
        win.w->showAbout();
        auto *box = win.w->findChild<QMessageBox *>(QStringLiteral("AboutBox"));
        QVERIFY(box);
        QVERIFY(box->text().contains(QStringLiteral("0.7")));
        box->close();
    }
};

VANDREL_TEST(MainWindowTest)
#include "tst_mainwindow.moc"
