#include "connection.h"

#include "capturewindow.h"
#include "connectwindow.h"
#include "mainwindow.h"
#include "messagebox.h"
#include "phoneinfowindow.h"
#include "questionbox.h"

#include <core/explorer/memorylabel.h>
#include <core/settings/appsettings.h>
#include <link/brewconnect.h>
#include <link/connectflow.h>

#include <QAction>
#include <QComboBox>
#include <QCoroSignal>
#include <QCoroTimer>
#include <QTabWidget>

namespace vandrel::ui {

using link::PhoneLink;

namespace {
QString u8(const char *s) { return QString::fromUtf8(s); }
} // namespace

ConnectionController::ConnectionController(MainWindow &window)
    : QObject(&window), m_window(window), m_link(window.phoneLink()), m_dispatcher(window.phoneLink()),
      m_modes(window.phoneLink())
{
    connect(window.tabs(), &QTabWidget::currentChanged, this, &ConnectionController::tabChanged);
    wireModeReplies();
    connect(&window, &MainWindow::linkReset, this, [this] {
        m_listing = false;
        setAccessMode(m_chosenAccess);
        emit memoryLabel(QString());
        emit connectedChanged(false);
    });
    // Whether new messages are read when they arrive: at start, and whenever the settings
    // window changes it.
    const auto takeReadSms = [this] { m_dispatcher.setReadSMS(m_window.appSettings().readSMS); };
    window.lifecycle().on(Step::ResetFlags, takeReadSms);
    connect(&window, &MainWindow::settingsApplied, this, takeReadSms);
}

bool ConnectionController::isConnected() const
{
    return m_link.modemPort()->isOpen() || m_link.diagPort()->isOpen();
}

bool ConnectionController::phonePortOpen() const
{
    return (brewAccess() ? m_link.diagPort() : m_link.modemPort())->isOpen();
}

int ConnectionController::currentTab() const
{
    return m_window.tabs()->currentIndex();
}

void ConnectionController::toggleConnection()
{
    if (isConnected())
        disconnectPhone();
    else
        startConnect();
}

namespace {

QCoro::Task<void> runConnect(QPointer<ConnectionController> controller, QPointer<ConnectWindow> window,
                             link::PhoneLink *phone, link::ConnectMode mode, bool readSMS, QStringList path,
                             bool sizeQuery, std::function<void(const link::Result<link::ObexFolder> &)> done)
{
    link::ConnectSession session(*phone, mode, readSMS);
    if (window)
        QObject::connect(window, &ConnectWindow::cancelRequested, &session, &link::ConnectSession::cancel);
    link::Result<link::ObexFolder> result;
    if (mode == link::ConnectMode::Obex)
        result = co_await link::connectAndList(*phone, session, path, sizeQuery);
    else
        result.outcome = co_await session.connectWithoutObex();
    if (controller)
        done(result);
}

QCoro::Task<void> runBrewConnect(QPointer<ConnectionController> controller, QPointer<ConnectWindow> window,
                                 link::PhoneLink *phone, QString path,
                                 std::function<void(const link::Result<link::BrewFolder> &)> done)
{
    link::ConnectSession session(*phone, link::ConnectMode::DiagOnly, false);
    link::BrewSession brew(*phone);
    if (window) {
        QObject::connect(window, &ConnectWindow::cancelRequested, &session, &link::ConnectSession::cancel);
        QObject::connect(window, &ConnectWindow::cancelRequested, &brew, &link::BrewSession::cancelWait);
    }
    const auto folder = co_await link::connectBrewAndList(*phone, session, brew, path);
    if (controller)
        done(folder);
}

} // namespace

void ConnectionController::startConnect()
{
    // A connect still running (the access box changed meanwhile) gives way to this one.
    if (m_connectWindow)
        emit m_connectWindow->cancelRequested();
    const quint64 attempt = ++m_connectAttempt;
    const int tab = currentTab();
    const bool explorer = tab == MainWindow::Explorer;
    const bool addressBook = tab == MainWindow::AddressBook;
    link::ConnectMode mode = link::ConnectMode::Obex;
    if (addressBook || tab == MainWindow::Calendar || (explorer && m_chosenAccess == AccessMode::Brew))
        mode = link::ConnectMode::DiagOnly;
    else if (!explorer)
        mode = link::ConnectMode::AtOnly;
    // The tabs that need the diagnostic port use it for this connection only; the access box
    // keeps what the user chose for the next one.
    const AccessMode access = mode == link::ConnectMode::DiagOnly ? AccessMode::Brew : AccessMode::Obex;
    setAccessMode(access);

    const auto &s = m_window.appSettings();
    const bool diag = mode == link::ConnectMode::DiagOnly;
    const QString portLine = m_window.message(Msg::PortPrefix) + (diag ? s.portName2 : s.portName);
    const QString speedLine = m_window.message(Msg::SpeedPrefix) + settings::speedLabel(diag ? s.speed2 : s.speed);
    auto *window = new ConnectWindow(m_window.message(Msg::Connecting, u8("Připojuji")), portLine, speedLine, &m_window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    m_connectWindow = window;
    m_dispatcher.setConnecting(true);
    window->open();

    QPointer<ConnectionController> self(this);
    if (explorer && access == AccessMode::Brew) {
        // The connection stands when the first BREW listing arrives.
        runBrewConnect(this, window, &m_link, m_brewPath,
                       [self, attempt](const link::Result<link::BrewFolder> &folder) {
                           if (!self || !self->connectFinished(folder.outcome, attempt))
                               return;
                           self->showBrewFree(folder.value);
                           emit self->brewListing(folder.value);
                           self->applyConnectedIndicators(true);
                       });
        return;
    }
    runConnect(this, window, &m_link, mode, s.readSMS, m_obexPath, m_sizeQueryPending,
               [self, diag, mode, attempt](const link::Result<link::ObexFolder> &folder) {
                   if (!self || !self->connectFinished(folder.outcome, attempt))
                       return;
                   if (mode == link::ConnectMode::Obex) {
                       self->m_sizeQueryPending = false;
                       self->showMemory(folder.value.memory);
                       emit self->obexListing(folder.value, self->m_obexPath);
                   }
                   self->applyConnectedIndicators(diag);
                   if (mode == link::ConnectMode::DiagOnly && self->currentTab() == MainWindow::Explorer)
                       emit self->brewConnected();
               });
}

bool ConnectionController::connectFinished(const link::Outcome &outcome, quint64 attempt)
{
    // A connect that another one replaced has nothing more to say.
    if (attempt != m_connectAttempt)
        return false;
    const bool ok = outcome.ok();
    m_dispatcher.setConnecting(false);
    if (m_connectWindow) {
        m_connectWindow->done(ok ? QDialog::Accepted : QDialog::Rejected);
        m_connectWindow = nullptr;
    }
    if (!ok) {
        m_link.modemPort()->close();
        m_link.diagPort()->close();
        applyDisconnectedIndicators();
        setAccessMode(m_chosenAccess);
        emit memoryLabel(QString());
        if (!outcome.endedByUser()) {
            QString text = m_window.message(Msg::ConnectionFailed, tr("The connection to the phone failed."));
            if (link::modemManagerRunning(m_processes->snapshot()))
                text += QStringLiteral("\n\n") + link::modemManagerAdvice();
            showError(&m_window, text);
        }
    }
    emit connectedChanged(ok && isConnected());
    return ok;
}

void ConnectionController::applyConnectedIndicators(bool viaDiag)
{
    const auto &s = m_window.appSettings();
    if (QAction *a = m_window.action(QStringLiteral("Pipojit1")))
        a->setText(m_window.message(Msg::DisconnectMenu, u8("Odpojit")));
    m_window.setStatusPanel(0, m_window.message(Msg::Connected, u8("Připojeno")));
    m_window.setStatusPanel(1, viaDiag ? s.portName2 + settings::speedSuffix(s.speed2)
                                       : s.portName + settings::speedSuffix(s.speed));
}

void ConnectionController::applyDisconnectedIndicators()
{
    m_window.setStatusPanel(0, m_window.message(Msg::NotConnected, u8("Nepřipojeno")));
    m_window.setStatusPanel(1, m_window.message(Msg::Offline, u8("Offline")));
    if (QAction *a = m_window.action(QStringLiteral("Pipojit1")))
        a->setText(m_window.message(Msg::ConnectMenu, u8("Připojit")));
}

void ConnectionController::disconnectPhone()
{
    if (m_access == AccessMode::Obex)
        m_link.log().append(QStringLiteral("OBEX END"));
    m_link.closePorts();
    applyDisconnectedIndicators();
    setAccessMode(m_chosenAccess);
    emit memoryLabel(QString());
    m_listing = false;
    emit connectedChanged(false);
}

void ConnectionController::showMemory(const link::MemorySizes &sizes)
{
    if (!sizes.queried)
        return;
    emit memoryLabel(explorer::memoryLabel(m_window.message(Msg::FreeSpaceWord), sizes.freeSpace, m_window.message(Msg::TotalSpaceWord), sizes.second));
}

namespace {
QCoro::Task<void> runListing(QPointer<ConnectionController> controller, link::PhoneLink *phone, QStringList path,
                             bool sizeQuery,
                             std::function<void(const link::Result<link::ObexFolder> &)> done)
{
    link::ObexSession session(*phone);
    const auto folder = co_await session.list(path, sizeQuery);
    if (controller)
        done(folder);
}

QCoro::Task<void> runBrewListing(QPointer<ConnectionController> controller, link::PhoneLink *phone, QString path,
                                 std::function<void(const link::Result<link::BrewFolder> &)> done)
{
    link::BrewSession brew(*phone);
    const auto folder = co_await brew.listBrewFolder(path, true);
    if (controller)
        done(folder);
}
} // namespace

void ConnectionController::showBrewFree(const link::BrewFolder &folder)
{
    if (folder.freeBytes)
        emit memoryLabel(explorer::memoryLabelFree(m_window.message(Msg::FreeSpaceWord), *folder.freeBytes));
}

void ConnectionController::reportListingFailure(const link::Outcome &outcome)
{
    if (outcome.endedByUser())
        return;
    if (outcome.isLinkFailure())
        m_link.handleFailure(outcome);
    else if (outcome.isFailed())
        showError(&m_window, outcome.detail);
}

bool ConnectionController::portReady(link::PhoneLink::Port port, bool tell)
{
    if (!m_link.channel(port)->isOpen())
        return false;
    if (!m_link.isClaimed(port))
        return true;
    // One operation at a time on a port: a second one would take the first one's replies.
    if (tell)
        showError(&m_window, m_window.message(Msg::PhoneBusy, u8("Telefon právě pracuje na jiné operaci. Zkuste to znovu, až skončí.")));
    return false;
}

bool ConnectionController::phonePortReady(bool tell)
{
    return portReady(brewAccess() ? PhoneLink::Port::Diag : PhoneLink::Port::Modem, tell);
}

bool ConnectionController::listingWaitsForPort(PhoneLink::Port port)
{
    if (!m_link.isClaimed(port))
        return false;
    // The listing asked for runs once the operation holding the port has ended.
    if (!m_listingQueued) {
        m_listingQueued = true;
        connect(&m_link, &PhoneLink::portFree, this, [this, port](PhoneLink::Port freed) {
            if (freed != port || !m_listingQueued)
                return;
            m_listingQueued = false;
            disconnect(&m_link, &PhoneLink::portFree, this, nullptr);
            if (port == PhoneLink::Port::Diag)
                listBrewFolder();
            else
                listObexFolder();
        });
    }
    return true;
}

void ConnectionController::listBrewFolder()
{
    if (!m_link.diagPort()->isOpen() || m_listing || listingWaitsForPort(PhoneLink::Port::Diag))
        return;
    m_listing = true;
    emit brewListingStarted();
    QPointer<ConnectionController> self(this);
    runBrewListing(this, &m_link, m_brewPath, [self](const link::Result<link::BrewFolder> &r) {
        if (!self)
            return;
        self->m_listing = false;
        if (r.ok()) {
            self->showBrewFree(r.value);
            emit self->brewListing(r.value);
            return;
        }
        emit self->brewListingFailed(r.outcome);
        self->reportListingFailure(r.outcome);
    });
}

void ConnectionController::listObexFolder()
{
    if (!m_link.modemPort()->isOpen() || m_listing || listingWaitsForPort(PhoneLink::Port::Modem))
        return;
    m_listing = true;
    emit obexListingStarted();
    QPointer<ConnectionController> self(this);
    const QStringList path = m_obexPath;
    runListing(this, &m_link, path, m_sizeQueryPending, [self, path](const link::Result<link::ObexFolder> &r) {
        if (!self)
            return;
        self->m_listing = false;
        if (r.ok()) {
            self->m_sizeQueryPending = false;
            self->showMemory(r.value.memory);
            emit self->obexListing(r.value, path);
            return;
        }
        emit self->obexListingFailed(r.outcome);
        self->reportListingFailure(r.outcome);
    });
}

void ConnectionController::tabChanged(int index)
{
    m_dispatcher.setTab(index == MainWindow::Explorer ? link::ReceiveDispatcher::Tab::Explorer
                        : index == MainWindow::Sms    ? link::ReceiveDispatcher::Tab::Sms
                                                      : link::ReceiveDispatcher::Tab::Other);
    const auto &s = m_window.appSettings();
    link::SerialChannel *modem = m_link.modemPort();
    link::SerialChannel *diag = m_link.diagPort();
    if (index == MainWindow::Sms && modem->isOpen()) {
        // Leave OBEX mode for AT commands.
        m_link.leaveObexMode();
        return;
    }
    if (index == MainWindow::Explorer) {
        if (modem->isOpen()) {
            setAccessMode(AccessMode::Obex);
            listObexFolder();
        } else if (diag->isOpen()) {
            setAccessMode(AccessMode::Brew);
            emit brewConnected();
        }
        return;
    }
    if (index == MainWindow::AddressBook && modem->isOpen()) {
        modem->close();
        if (!diag->open()) {
            setAccessMode(AccessMode::Brew);
            m_window.setStatusPanel(1, s.portName2 + settings::speedSuffix(s.speed2));
        }
        return;
    }
    if (index == MainWindow::Sms && diag->isOpen()) {
        diag->close();
        if (!modem->open()) {
            setAccessMode(AccessMode::Obex);
            m_window.setStatusPanel(1, s.portName + settings::speedSuffix(s.speed));
        }
    }
}

void ConnectionController::resetPhone()
{
    emit phonePaneCleared();
    if (m_link.diagPort()->isOpen()) {
        // The phone's echo of the request completes the reset (PhoneModes::restarted).
        m_modes.resetOverDiag();
        return;
    }
    if (!m_link.modemPort()->isOpen())
        return;
    QPointer<ConnectionController> self(this);
    auto sent = m_link.switchOff();
    QCoro::connect(std::move(sent), this, [self](const link::Outcome &) {
        if (!self)
            return;
        self->applyDisconnectedIndicators();
        self->m_link.modemPort()->close();
        emit self->connectedChanged(false);
    });
}

void ConnectionController::switchMode(link::PhoneMode mode)
{
    // A diagnostic port that will not open ends the command without a word.
    m_modes.switchMode(mode);
}

void ConnectionController::goOnline() { switchMode(link::PhoneMode::Online); }
void ConnectionController::goOffline() { switchMode(link::PhoneMode::Offline); }
void ConnectionController::factoryMode() { switchMode(link::PhoneMode::FactoryMode); }

void ConnectionController::wireModeReplies()
{
    connect(&m_modes, &link::PhoneModes::restarted, this, [this] {
        m_listing = false;
        applyDisconnectedIndicators();
        emit connectedChanged(false);
    });
    connect(&m_modes, &link::PhoneModes::backOnModemPort, this, [this] {
        const auto &s = m_window.appSettings();
        m_window.setStatusPanel(1, s.portName + settings::speedSuffix(s.speed));
    });
    connect(&m_modes, &link::PhoneModes::reconnectNeeded, this, &ConnectionController::toggleConnection);
}

void ConnectionController::showPhoneInfo()
{
    if (m_link.modemPort()->isOpen() && !portReady(PhoneLink::Port::Modem))
        return;
    auto *info = new PhoneInfoWindow(m_link, &m_window);
    info->setWindowModality(Qt::ApplicationModal);
    info->open();
}

namespace {
// Parameters, not lambda captures: they live in the coroutine's frame.
QCoro::Task<void> openDisplayCapture(QPointer<ConnectionController> controller, QPointer<MainWindow> window)
{
    if (window->phoneLink().modemPort()->isOpen()) {
        // The capture works on the diagnostic port: the access box goes to BREW first, and the
        // window opens once that connection stands.
        auto *box = window->findChild<QComboBox *>(QStringLiteral("Combo2"));
        if (!box)
            co_return;
        box->setCurrentIndex(1);
        emit box->activated(1);
        const auto connected = co_await qCoro(controller.data(), &ConnectionController::brewConnected, std::chrono::seconds(60));
        if (!controller || !window || !connected)
            co_return;
    }
    if (!window->phoneLink().diagPort()->isOpen())
        co_return;
    auto *capture = new CaptureWindow(window->phoneLink(), window->messages(), window->appSettings().DCOneFile, window);
    capture->setAttribute(Qt::WA_DeleteOnClose);
    capture->setWindowModality(Qt::ApplicationModal);
    capture->open();
}
} // namespace

void ConnectionController::showDisplayCapture()
{
    openDisplayCapture(this, &m_window);
}

} // namespace vandrel::ui

namespace vandrel::ui {

namespace {
QCoro::Task<void> askToEnd(QPointer<MainWindow> window, link::ProcessList *processes)
{
    for (const link::Competitor &c : link::findCompetitors(processes->snapshot())) {
        if (!window)
            co_return;
        const QString text = window->message(Msg::EndCompetingProgram, QStringLiteral("%1 is running and blocks access to the phone (%2). End it?"))
                                 .arg(c.program, c.holds);
        const auto answer = co_await ask(window, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer != QMessageBox::Yes)
            continue;
        link::endProcesses(*processes, c.name);
        co_await QCoro::sleepFor(std::chrono::milliseconds(300));
    }
}
} // namespace

void ConnectionController::checkCompetingPrograms()
{
    askToEnd(&m_window, m_processes);
}

} // namespace vandrel::ui
