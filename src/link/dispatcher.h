#pragma once
// What the modem port says when no dialogue is waiting for it: new-message notices (read at
// once when the user wants them shown), the read message itself, "ERROR" (the phone needs a
// restart), and the SMS tab's replies. Anything else is dropped.
#include "phonelink.h"

#include <QCoroTask>
#include <QList>
#include <QObject>

namespace vandrel::link {

class ReceiveDispatcher : public QObject {
    Q_OBJECT
public:
    enum class Tab { Explorer, Sms, Other };

    explicit ReceiveDispatcher(PhoneLink &link, QObject *parent = nullptr);

    void setTab(Tab tab) { m_tab = tab; }
    void setReadSMS(bool on) { m_readSMS = on; }
    bool readSMS() const { return m_readSMS; }
    // While the connecting window is up, notices are not acted on.
    void setConnecting(bool on) { m_connecting = on; }
    // Reads of new messages not yet sent (they wait while a dialogue holds the port).
    int queuedReads() const { return int(m_queue.size()); }

signals:
    // The reply to the read command sent for a new message (+CMGR ... OK), with the index
    // that was read (-1 when the reply came without the read of this dispatcher).
    void incomingMessage(int index, const QByteArray &reply);
    // A complete reply that arrived while the SMS tab is showing.
    void smsReply(const QByteArray &reply);

private:
    void onNotice(const QByteArray &notice);
    void onIdle(PhoneLink::Port port);
    void deliver(int index, const QByteArray &reply);
    // Sends the queued reads one at a time, each as a dialogue of its own on the free port.
    void pump();
    QCoro::Task<void> readQueued();

    PhoneLink &m_link;
    Tab m_tab = Tab::Explorer;
    bool m_readSMS = false;
    bool m_connecting = false;
    bool m_reading = false;
    QList<int> m_queue;
};

} // namespace vandrel::link
