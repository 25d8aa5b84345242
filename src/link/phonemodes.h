#pragma once
// The phone's operating modes over the diagnostic port: online, offline, factory mode and the
// reset, and what a mode reply that arrives outside any exchange makes the program do.
#include "phonelink.h"

#include <core/diag/modes.h>

#include <QCoroTask>
#include <QObject>

namespace vandrel::link {

using diag::ModeReplyAction;
using diag::PhoneMode;

class PhoneModes : public QObject {
    Q_OBJECT
public:
    explicit PhoneModes(PhoneLink &link, QObject *parent = nullptr);

    // The access mode decides where a mode reply leads.
    void setObexAccess(bool obex) { m_obexAccess = obex; }

    // Online, offline, factory mode from the menu: the modem port is closed and the diagnostic
    // port opened when needed, the request is sent, the reply arrives later. False (and
    // nothing sent) when the diagnostic port cannot be opened.
    bool switchMode(PhoneMode mode);
    // Reset while the diagnostic port is open: the reset request; its echo completes it.
    bool resetOverDiag();

    // The command line: the request, then its reply awaited (a reset also sends its second
    // half and closes the port).
    QCoro::Task<Outcome> requestMode(PhoneMode mode);

signals:
    // The reset went through: the diagnostic port is closed, the phone is disconnected.
    void restarted();
    // A mode change is done in OBEX access: the modem port is open again.
    void backOnModemPort();
    // The modem port could not be opened again: a fresh connection is due.
    void reconnectNeeded();

private:
    void onIdle(PhoneLink::Port port);
    void act(ModeReplyAction action);
    bool send(PhoneMode mode);

    PhoneLink &m_link;
    bool m_obexAccess = true;
};

} // namespace vandrel::link
