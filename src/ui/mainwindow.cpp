#include "mainwindow.h"

#include "appicon.h"
#include "calendar/calendartab.h"
#include "connection.h"
#include "explorer/explorercommands.h"
#include "explorer/explorertab.h"
#include "language.h"
#include "menustyle.h"
#include "messagebox.h"
#include "other/othertab.h"
#include "questionasker.h"
#include "questionbox.h"
#include "settingswindow.h"
#include "shell.h"
#include "sms/noticewindow.h"
#include "sms/smstab.h"
#include "addressbook/addressbooktab.h"
#include "workwindow.h"

#include <link/paths.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

namespace vandrel::ui {

namespace {

// Built-in captions (Czech), replaced by the language file's texts.
struct Caption {
    const char *objectName;
    settings::Msg message;
    const char *builtIn;
};
const Caption kMenuCaptions[] = {
    {"Nastaven1", Msg::SettingsMenu, "Nastavení"},          {"Pipojit1", Msg::ConnectMenu, "Připojit"},
    {"MTelefon", Msg::PhoneMenu, "Telefon"},           {"Zobrazitinfo1", Msg::None, "Zobrazit info"},
    {"snmnoutdisplej2", Msg::CaptureDisplayMenu, "Típnout displej"}, {"Emulace", Msg::KeyEmulationMenu, "Emulace kláves"},
    {"Md1", Msg::ModeMenu, "Mód"},                    {"Online1", Msg::None, "Online"},
    {"Offline1", Msg::None, "Offline"},            {"Factorymode1", Msg::None, "Factory mode"},
    {"Reset1", Msg::ResetMenu, "Reset"},               {"Npovda1", Msg::HelpMenu, "Nápověda"},
    {"Obsah1", Msg::HelpContents, "Obsah"},               {"Oprogramu1", Msg::None, "O programu"},
    // the explorer's popup menu
    {"pKopirovat", Msg::Copy, "Kopírovat"},        {"Editovat1", Msg::Edit, "Editovat"},
    {"pAktualizovat", Msg::Refresh, "Aktualizovat"},  {"pPrejmenovat", Msg::Rename, "Přejmenovat"},
    {"pNovyadresar", Msg::NewFolder, "Nový adresář"},   {"pSmazat", Msg::Delete, "Smazat"},
    {"Instalovat1", Msg::InstallMenu, "Instalovat"},
};
const Caption kTabCaptions[] = {
    {"TabSheet1", Msg::ExplorerTab, "Průzkumník"}, {"TabSheet2", Msg::SmsTab, "Práce s SMS"}, {"TabSheet3", Msg::CalendarTab, "Kalendář"},
    {"TabSheet4", Msg::AddressBookTab, "Adresář"},    {"TabSheet9", Msg::OtherTab, "Ostatní"},
};
const char *const kStatusBuiltIn[] = {"Nepřipojeno", "Offline"};

QString u8(const char *s) { return QString::fromUtf8(s); }

} // namespace

MainWindow::MainWindow(std::unique_ptr<link::PhoneLink> phoneLink, MainWindowOptions options, QWidget *parent)
    : QMainWindow(parent), m_link(std::move(phoneLink)), m_options(options),
      m_settings(settings::AppSettings::defaults()), m_store(std::make_unique<link::SettingsStore>()),
      m_menuStyle(std::make_unique<MenuStyle>())
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowIcon(appIcon());
    resize(900, 620);
    buildMenus();
    buildTabs();
    buildStatusBar();
    buildTray();
    applyCaptions();
    attachOwnSteps();
    connect(m_link.get(), &link::PhoneLink::fatalError, this, &MainWindow::onFatalError);
    m_connection = new ConnectionController(*this);
    auto wire = [this](const char *name, auto slot) {
        QAction *a = action(QString::fromLatin1(name));
        a->setEnabled(true);
        connect(a, &QAction::triggered, m_connection, slot);
    };
    wire("Pipojit1", &ConnectionController::toggleConnection);
    wire("Zobrazitinfo1", &ConnectionController::showPhoneInfo);
    wire("snmnoutdisplej2", &ConnectionController::showDisplayCapture);
    wire("Reset1", &ConnectionController::resetPhone);
    wire("Online1", &ConnectionController::goOnline);
    wire("Offline1", &ConnectionController::goOffline);
    wire("Factorymode1", &ConnectionController::factoryMode);
    m_lifecycle.on(Step::CheckCompetingPrograms, [this] { m_connection->checkCompetingPrograms(); });
    auto *explorerTab = new ExplorerTab(*this);
    setTabContent(Explorer, explorerTab);
    new ExplorerCommands(*this, *explorerTab);
    setTabContent(Sms, new SmsTab(*this));
    setTabContent(AddressBook, new AddressBookTab(*this));
    setTabContent(Calendar, new CalendarTab(*this));
    setTabContent(Other, new OtherTab(*this));
    new IncomingNotices(*this);
    connect(m_link.get(), &link::PhoneLink::portLost, this, [this](link::PhoneLink::Port, const QString &reason) {
        // A cable pulled ends the connection, whether or not something waited on the port.
        m_link->fatalLinkError(QStringLiteral("!!!Fatalni chyba pri cteni z portu!!!\n") + reason);
    });
}

MainWindow::~MainWindow()
{
    // Windows, sessions and questions that use the phone link go while it is still there.
    m_destroying = true;
    QList<QPointer<QDialog>> dialogs;
    for (QDialog *d : findChildren<QDialog *>(Qt::FindDirectChildrenOnly))
        dialogs << d;
    for (const QPointer<QDialog> &d : std::as_const(dialogs))
        delete d.data();
    m_tabs->blockSignals(true);
    delete takeCentralWidget();
    delete std::exchange(m_connection, nullptr);
    // Work cancelled above still takes a step or two to end; it must not find its link gone.
    if (m_link->busy())
        m_link.release()->deleteWhenIdle();
}

QString MainWindow::versionText() const
{
    return QStringLiteral("%1.%2").arg(VANDREL_VERSION_MAJOR).arg(VANDREL_VERSION_MINOR);
}

QString MainWindow::message(settings::Msg n, const QString &builtIn) const
{
    return wordsOf(m_messages, n, builtIn);
}

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();
    bar->setStyle(m_menuStyle.get());

    auto *settingsAction = bar->addAction(QString());
    settingsAction->setObjectName(QStringLiteral("Nastaven1"));
    auto *connectAction = bar->addAction(QString());
    connectAction->setObjectName(QStringLiteral("Pipojit1"));

    QMenu *phone = bar->addMenu(QString());
    phone->setObjectName(QStringLiteral("MTelefon"));
    phone->menuAction()->setObjectName(QStringLiteral("MTelefon"));
    auto addItem = [](QMenu *m, const char *name, const QKeySequence &key = {}) {
        QAction *a = m->addAction(QString());
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        return a;
    };
    addItem(phone, "Zobrazitinfo1");
    addItem(phone, "snmnoutdisplej2");
    addItem(phone, "Emulace");
    QMenu *mode = phone->addMenu(QString());
    mode->setObjectName(QStringLiteral("Md1"));
    mode->menuAction()->setObjectName(QStringLiteral("Md1"));
    addItem(mode, "Online1", QKeySequence(Qt::CTRL | Qt::Key_N));
    addItem(mode, "Offline1", QKeySequence(Qt::CTRL | Qt::Key_F));
    addItem(mode, "Factorymode1", QKeySequence(Qt::CTRL | Qt::Key_C));
    addItem(mode, "Reset1", QKeySequence(Qt::CTRL | Qt::Key_R));

    // Help sits at the right end of the menu bar: a bar of its own in the corner.
    auto *helpBar = new QMenuBar(bar);
    helpBar->setObjectName(QStringLiteral("HelpMenuBar"));
    helpBar->setStyle(m_menuStyle.get());
    QMenu *help = helpBar->addMenu(QString());
    help->setObjectName(QStringLiteral("Npovda1"));
    help->menuAction()->setObjectName(QStringLiteral("Npovda1"));
    connect(addItem(help, "Obsah1"), &QAction::triggered, this, &MainWindow::showHelp);
    help->addSeparator();
    connect(addItem(help, "Oprogramu1"), &QAction::triggered, this, &MainWindow::showAbout);
    bar->setCornerWidget(helpBar, Qt::TopRightCorner);

    // The explorer's popup menu: its items carry the user's shortcuts; their work comes with
    // the explorer commands.
    QMenu *pop = new QMenu(this);
    pop->setObjectName(QStringLiteral("Pop1"));
    addItem(pop, "pAktualizovat", QKeySequence(Qt::Key_F5));
    pop->addSeparator()->setObjectName(QStringLiteral("N1"));
    addItem(pop, "Editovat1", QKeySequence(Qt::Key_F4));
    addItem(pop, "pKopirovat", QKeySequence(Qt::CTRL | Qt::Key_T));
    addItem(pop, "pPrejmenovat", QKeySequence(Qt::Key_F6));
    addItem(pop, "pNovyadresar", QKeySequence(Qt::Key_F7));
    addItem(pop, "pSmazat", QKeySequence(Qt::Key_F8));
    pop->addSeparator()->setObjectName(QStringLiteral("N2"));
    addItem(pop, "Instalovat1", QKeySequence(Qt::CTRL | Qt::Key_I));

    for (QMenu *m : {phone, mode, help, pop})
        m->setStyle(m_menuStyle.get());
    connect(settingsAction, &QAction::triggered, this, [this] { showSettings(*this); });

    // Items whose work arrives with the phone features stay disabled until it is attached;
    // "Emulace kláves" has no action at all.
    for (const char *name : {"Pipojit1", "Zobrazitinfo1", "snmnoutdisplej2", "Emulace", "Online1",
                             "Offline1", "Factorymode1", "Reset1"})
        action(QString::fromLatin1(name))->setEnabled(false);
}

QAction *MainWindow::action(const QString &objectName) const
{
    for (QAction *a : findChildren<QAction *>())
        if (a->objectName() == objectName)
            return a;
    return nullptr;
}

QMenu *MainWindow::menu(const QString &objectName) const
{
    return findChild<QMenu *>(objectName);
}

void MainWindow::buildTabs()
{
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("PageControl1"));
    for (const Caption &c : kTabCaptions) {
        auto *page = new QWidget(m_tabs);
        page->setObjectName(QString::fromLatin1(c.objectName));
        auto *layout = new QVBoxLayout(page);
        auto *placeholder = new QLabel(tr("This part of the program is not available yet."), page);
        placeholder->setObjectName(QStringLiteral("NotAvailable"));
        placeholder->setAlignment(Qt::AlignCenter);
        layout->addWidget(placeholder);
        m_tabs->addTab(page, QString());
    }
    setCentralWidget(m_tabs);
}

void MainWindow::setTabContent(Tab tab, QWidget *content)
{
    QWidget *page = m_tabs->widget(tab);
    auto *layout = page->layout();
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    layout->setContentsMargins(0, 0, 0, 0);
    content->setParent(page);
    layout->addWidget(content);
}

void MainWindow::buildStatusBar()
{
    // Panels 0 and 1: connection and mode; 2-4: the ports' roles and the version.
    const QString fixed[] = {QString(), QString(), tr("Modem port: AT, OBEX"), tr("Diagnostic port: BREW"),
                             QStringLiteral("v") + versionText()};
    for (int i = 0; i < 5; ++i) {
        auto *label = new QLabel(fixed[i], this);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        label->setFrameShape(QFrame::StyledPanel);
        label->setMinimumWidth(i < 2 ? 150 : 60);
        statusBar()->addWidget(label, i < 2 ? 0 : 1);
        m_panels.append(label);
    }
}

QLabel *MainWindow::statusPanel(int i) const { return m_panels.value(i); }

void MainWindow::setStatusPanel(int i, const QString &text)
{
    if (QLabel *l = statusPanel(i))
        l->setText(text);
}

void MainWindow::buildTray()
{
    m_tray = new QSystemTrayIcon(appIcon(), this);
    m_tray->setObjectName(QStringLiteral("Tray"));
    m_tray->setToolTip(QStringLiteral("Vandrel Controller"));
    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("trayPopUp"));
    m_trayMenu->setStyle(m_menuStyle.get());
    QAction *quit = m_trayMenu->addAction(u8("Ukončit VDLC"));
    quit->setObjectName(QStringLiteral("Konec1"));
    connect(quit, &QAction::triggered, this, &MainWindow::quitFromTray);
    m_tray->setContextMenu(m_trayMenu);
    connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            restoreFromTray();
    });
}

void MainWindow::applyCaptions()
{
    for (const Caption &c : kMenuCaptions) {
        const QString text = c.message != Msg::None ? message(c.message, u8(c.builtIn)) : u8(c.builtIn);
        if (QAction *a = action(QString::fromLatin1(c.objectName)))
            a->setText(text);
    }
    for (int i = 0; i < TabCount; ++i)
        m_tabs->setTabText(i, message(kTabCaptions[i].message, u8(kTabCaptions[i].builtIn)));
    // A language switched while connected keeps the connected texts (panel 1 names the port).
    if (m_connection && m_connection->isConnected()) {
        action(QStringLiteral("Pipojit1"))->setText(message(Msg::DisconnectMenu, u8("Odpojit")));
        setStatusPanel(0, message(Msg::Connected, u8("Připojeno")));
    } else {
        setStatusPanel(0, message(Msg::NotConnected, u8(kStatusBuiltIn[0])));
        setStatusPanel(1, message(Msg::Offline, u8(kStatusBuiltIn[1])));
    }
    // A re-captioned bar must be laid out again, help menu at the right end included.
    menuBar()->adjustSize();
    if (QWidget *corner = menuBar()->cornerWidget(Qt::TopRightCorner))
        corner->adjustSize();
    emit captionsChanged();
}

void MainWindow::attachOwnSteps()
{
    m_lifecycle.on(Step::CreateLog, [this] { m_link->log().clear(); });
    m_lifecycle.on(Step::MinimiseHandler, [] { QApplication::setApplicationDisplayName(QString()); });
    m_lifecycle.on(Step::LoadSettings, [this] {
        m_settings = m_store->load();
        m_link->modemPort()->setPortName(m_settings.portName);
        m_link->modemPort()->setBaudRate(m_settings.speed);
        m_link->diagPort()->setPortName(m_settings.portName2);
        m_link->diagPort()->setBaudRate(m_settings.speed2);
    });
    m_lifecycle.on(Step::LoadSettings, [this] {
        loadShortcuts(*this);
        loadLanguage(*this, m_settings.language);
    });
    m_lifecycle.on(Step::HelpMenuRight, [this] { applyCaptions(); });
    m_lifecycle.on(Step::Relayout, [this] {
        if (QLayout *l = layout())
            l->activate();
    });
    m_lifecycle.on(Step::SaveClosingSettings, [this] {
        if (m_options.saveSettings)
            m_store->saveClosingSettings(m_settings);
    });
    m_lifecycle.on(Step::ClosePorts, [this] { m_link->closePorts(); });
    m_lifecycle.on(Step::SaveLog, [this] {
        if (m_settings.log)
            m_link->log().saveTo(link::dataFile(QStringLiteral("log.txt")));
    });
}

void MainWindow::create()
{
    m_lifecycle.run(Step::AcceptDrops, Step::LoadFavourites);
    setStatusPanel(0, message(Msg::NotConnected, u8(kStatusBuiltIn[0])));
    setStatusPanel(1, message(Msg::Offline, u8(kStatusBuiltIn[1])));
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    QString title = QStringLiteral("Vandrel Controller - ") + versionText();
    if (m_options.demo)
        title += tr(" [demo: virtual phone]");
    setWindowTitle(title);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Start-up work runs once the window is on screen.
        QTimer::singleShot(0, this, &MainWindow::afterShown);
    }
}

void MainWindow::afterShown()
{
    m_lifecycle.run(Step::CheckCompetingPrograms, Step::Relayout);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_closed) {
        event->accept();
        return;
    }
    m_closed = true;
    // Work still running ends first: its windows cancel it and close the questions it asked.
    const auto workWindows = findChildren<WorkWindow *>();
    for (WorkWindow *w : workWindows)
        w->reject();
    closeLinkQuestions(this);
    m_lifecycle.run(Step::SaveFavourites, Step::SaveLog);
    m_tray->hide();
    // What the closing steps could not do (favourites not saved) is read before the window goes.
    QList<QMessageBox *> errors;
    for (QMessageBox *box : findChildren<QMessageBox *>(QStringLiteral("ErrorBox")))
        if (box->isVisible())
            errors << box;
    if (errors.isEmpty()) {
        event->accept();
        return;
    }
    event->ignore();
    for (QMessageBox *box : errors)
        connect(box, &QObject::destroyed, this, [this] {
            if (m_destroying)
                return;
            for (QMessageBox *b : findChildren<QMessageBox *>(QStringLiteral("ErrorBox")))
                if (b->isVisible())
                    return;
            close();
        });
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    // Without a tray (GNOME on Wayland, by default) minimising stays ordinary.
    const bool trayAvailable = m_trayAvailable ? m_trayAvailable() : QSystemTrayIcon::isSystemTrayAvailable();
    if (m_settings.minimalize && trayAvailable) {
        m_tray->show();
        QTimer::singleShot(0, this, &QWidget::hide);
    }
}

void MainWindow::restoreFromTray()
{
    m_tray->hide();
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::quitFromTray()
{
    m_tray->hide();
    close();
    QApplication::quit();
}

void MainWindow::onFatalError(const QString &text)
{
    setStatusPanel(0, message(Msg::NotConnected, u8(kStatusBuiltIn[0])));
    setStatusPanel(1, message(Msg::Offline, u8(kStatusBuiltIn[1])));
    if (QAction *a = action(QStringLiteral("Pipojit1")))
        a->setText(message(Msg::ConnectMenu, u8("Připojit")));
    emit linkReset();
    // The questions of phone operations go with the link: one box, the error, stays.
    closeLinkQuestions(this);
    showError(this, message(Msg::ConnectionErrorPrefix, tr("Connection error:")) + QLatin1Char(' ') + text);
}

void MainWindow::showAbout()
{
    auto *box = new QMessageBox(QMessageBox::Information, kCaption,
                                QStringLiteral("<b>Vandrel Controller %1</b><br><br>%2<br>%3")
                                    .arg(versionText(),
                                         tr("A desktop companion for your phone: files, messages, calendar "
                                            "and address book over the data cable."),
                                         tr("Written by the Vandrel Controller developers.")),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("AboutBox"));
    box->setIconPixmap(appIcon().pixmap(48));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::showHelp()
{
    // The compiled help where one is installed, else the HTML help shipped with the program.
    QStringList candidates{link::dataFile(QStringLiteral("VDLC.chm")),
                           QDir(QApplication::applicationDirPath()).filePath(QStringLiteral("VDLC.chm"))};
    for (const QString &dir : link::languageFolderCandidates())
        candidates << QDir(dir).filePath(QStringLiteral("help/index.html"));
    for (const QString &path : candidates) {
        if (QFileInfo::exists(path)) {
            openWithShell(path, this);
            return;
        }
    }
    showError(this, tr("The help file cannot be found."));
}

} // namespace vandrel::ui
