#pragma once
// Connecting and disconnecting from the menu, the port rules of tab changes, and the reset
// over the modem port. The phone pane listens to its signals.
#include <core/explorer/direntry.h>
#include <link/dispatcher.h>
#include <link/obexsession.h>
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
    void setAccessMode(AccessMode mode) { m_access = mode; }
    link::ReceiveDispatcher &dispatcher() { return m_dispatcher; }

    // The OBEX phone path: folder names from the root, and whether the next walk asks the
    // memory sizes.
    QStringList &obexPath() { return m_obexPath; }
    bool &sizeQueryPending() { return m_sizeQueryPending; }

    ConnectWindow *connectWindow() const { return m_connectWindow; }
    void setProcessList(link::ProcessList *list) { m_processes = list; }
    link::ProcessList &processList() { return *m_processes; }

public slots:
    void toggleConnection(); // the connect/disconnect menu item
    void disconnectPhone();
    void tabChanged(int index);
    void resetPhone();       // "Reset" while only the modem port is open
    void showPhoneInfo();
    // Once after start: offer to end programs that hold the phone's ports.
    void checkCompetingPrograms();
    // A new OBEX listing of the current phone path (after AT^SQWE=0 ... as every listing).
    void listObexFolder();

signals:
    void connectedChanged(bool connected);
    // A listing of the phone path arrived (rows as the phone sent them).
    void obexListing(const link::ObexFolder &folder, const QStringList &path);
    void obexListingStarted();
    void obexListingFailed(const link::Outcome &outcome);
    // The memory label of the phone pane.
    void memoryLabel(const QString &text);
    // Connected in BREW access: the BREW side lists its folder.
    void brewConnected();

private:
    void startConnect();
    void connectFinished(bool ok);
    void applyConnectedIndicators(bool viaDiag);
    void applyDisconnectedIndicators();
    void showMemory(const link::MemorySizes &sizes);
    int currentTab() const;

    MainWindow &m_window;
    link::PhoneLink &m_link;
    link::ReceiveDispatcher m_dispatcher;
    AccessMode m_access = AccessMode::Obex;
    QStringList m_obexPath;
    bool m_sizeQueryPending = false;
    QPointer<ConnectWindow> m_connectWindow;
    bool m_listing = false;
    link::ProcessList *m_processes = &link::ProcessList::system();
};

} // namespace vandrel::ui
