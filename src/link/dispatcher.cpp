#include "dispatcher.h"

#include <core/at/atreply.h>

#include <QMetaMethod>

namespace vandrel::link {

ReceiveDispatcher::ReceiveDispatcher(PhoneLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&link, &PhoneLink::newMessageNotice, this, &ReceiveDispatcher::onNotice);
    connect(&link, &PhoneLink::idleData, this, &ReceiveDispatcher::onIdle);
}

void ReceiveDispatcher::onNotice(const QByteArray &notice)
{
    if (m_connecting || !m_readSMS)
        return;
    const auto index = at::newMessageIndex(notice);
    if (!index)
        return;
    // Straight to the port: no escape, no pause.
    m_link.writeRaw(PhoneLink::Port::Modem, "AT+CMGR=" + QByteArray::number(*index) + '\r');
}

void ReceiveDispatcher::onIdle(PhoneLink::Port port)
{
    if (port != PhoneLink::Port::Modem)
        return;
    QByteArray &pending = m_link.reader(port).pending();
    while (const qsizetype n = at::replyLength(pending)) {
        const QByteArray reply = pending.left(n);
        pending.remove(0, n);
        if (reply.contains("CMGR") && at::finalOf(reply) == at::Final::Ok) {
            if (isSignalConnected(QMetaMethod::fromSignal(&ReceiveDispatcher::incomingMessage)))
                emit incomingMessage(reply);
            else
                m_link.log().append("Read..New SMS.." + reply.trimmed());
            continue;
        }
        if (at::finalOf(reply) == at::Final::Error && m_tab != Tab::Other) {
            m_link.fatalLinkError(m_tab == Tab::Explorer ? QStringLiteral("Received Error from phone. Try to restart it")
                                                         : QStringLiteral("Received Error from phone"));
            return;
        }
        if (m_tab == Tab::Sms)
            emit smsReply(reply);
    }
    // Bytes that can never complete a reply (binary leftovers after "+++") are dropped.
    if (!pending.contains('\n') && pending.size() > 4096)
        pending.clear();
}

} // namespace vandrel::link
