#pragma once
// Connecting and disconnecting from the menu, the port rules of tab changes, and the reset
// over the modem port. The phone pane listens to its signals.
#include <core/explorer/direntry.h>
#include <link/brewsession.h>
#include <link/dispatcher.h>
#include <link/obexsession.h>
#include <link/phonemodes.h>
#include <link/processes.h>

#include "connectwindow.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

namespace vandrel::ui {

class MainWindow;


enum class AccessMode { Obex, Brew };

class ConnectionController : public QObject {
    Q_OBJECT
public:
    explicit ConnectionController(MainWindow &window);

    bool isConnected() const;
    AccessMode accessMode() const { return m_access; }
    bool brewAccess() const { return m_access == AccessMode::Brew; }
    // The port the access mode works through is open.
    bool phonePortOpen() const;
    // The port is open and no operation holds it; a busy port is said so in a short message
    // when `tell`.
    bool portReady(link::PhoneLink::Port port, bool tell = true);
    bool phonePortReady(bool tell = true);
    // The mode the phone side works in now (the connection's, or the box's while disconnected).
    void setAccessMode(AccessMode mode)
    {
        m_access = mode;
        m_modes.setObexAccess(mode == AccessMode::Obex);
    }
    // The access box: what the user chose; the next connection from the explorer uses it.
    AccessMode chosenAccessMode() const { return m_chosenAccess; }
    void chooseAccessMode(AccessMode mode)
    {
        m_chosenAccess = mode;
        if (!isConnected())
            setAccessMode(mode);
    }
    link::ReceiveDispatcher &dispatcher() { return m_dispatcher; }

    // The OBEX phone path: folder names from the root, and whether the next walk asks the
    // memory sizes.
    QStringList &obexPath() { return m_obexPath; }
    // The BREW phone path: names each followed by "/", empty at the root.
    QString &brewPath() { return m_brewPath; }
    link::PhoneModes &phoneModes() { return m_modes; }
    bool &sizeQueryPending() { return m_sizeQueryPending; }

    ConnectWindow *connectWindow() const { return m_connectWindow; }
    void setProcessList(link::ProcessList *list) { m_processes = list; }
    link::ProcessList &processList() { return *m_processes; }

public slots:
    void toggleConnection(); // the connect/disconnect menu item
    void disconnectPhone();
    void tabChanged(int index);
    void resetPhone();       // "Reset": over the diagnostic port when it is open, else AT^SMSO
    void goOnline();
    void goOffline();
    void factoryMode();
    void showPhoneInfo();
    void showDisplayCapture(); // "Típnout displej"
    // Once after start: offer to end programs that hold the phone's ports.
    void checkCompetingPrograms();
    // A new OBEX listing of the current phone path (after AT^SQWE=0 ... as every listing).
    void listObexFolder();
    // A new BREW listing of the BREW path, with the free space at its end.
    void listBrewFolder();
    bool isListing() const { return m_listing; }

signals:
    void connectedChanged(bool connected);
    // A listing of the phone path arrived (rows as the phone sent them).
    void obexListing(const link::ObexFolder &folder, const QStringList &path);
    void obexListingStarted();
    void obexListingFailed(const link::Outcome &outcome);
    // The memory label of the phone pane.
    void memoryLabel(const QString &text);
    // Back on the explorer tab with only the diagnostic port open: the BREW side lists its folder.
    void brewConnected();
    // Connected in BREW access from the explorer: the listing that made the connection.
    void brewListing(const link::BrewFolder &folder);
    void brewListingStarted();
    void brewListingFailed(const link::Outcome &outcome);
    // The phone pane is to be emptied (a reset is under way).
    void phonePaneCleared();

private:
    void startConnect();
    // True when the port is held: the listing is queued for when it is free.
    bool listingWaitsForPort(link::PhoneLink::Port port);
    void switchMode(link::PhoneMode mode);
    void wireModeReplies();
    // False when the connect failed or another connect replaced it.
    bool connectFinished(const link::Outcome &outcome, quint64 attempt);
    void applyConnectedIndicators(bool viaDiag);
    void applyDisconnectedIndicators();
    void showMemory(const link::MemorySizes &sizes);
    void showBrewFree(const link::BrewFolder &folder);
    // A listing that failed: the fatal link error, or the error box.
    void reportListingFailure(const link::Outcome &outcome);
    int currentTab() const;

    MainWindow &m_window;
    link::PhoneLink &m_link;
    link::ReceiveDispatcher m_dispatcher;
    AccessMode m_access = AccessMode::Obex;
    AccessMode m_chosenAccess = AccessMode::Obex;
    quint64 m_connectAttempt = 0;
    QStringList m_obexPath;
    QString m_brewPath;
    link::PhoneModes m_modes;
    bool m_sizeQueryPending = false;
    QPointer<ConnectWindow> m_connectWindow;
    bool m_listing = false;
    bool m_listingQueued = false;
    link::ProcessList *m_processes = &link::ProcessList::system();
};

} // namespace vandrel::ui
