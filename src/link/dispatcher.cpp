#include "dispatcher.h"

#include <core/at/atreply.h>

#include <QMetaMethod>
#include <QPointer>

namespace vandrel::link {

ReceiveDispatcher::ReceiveDispatcher(PhoneLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&link, &PhoneLink::newMessageNotice, this, &ReceiveDispatcher::onNotice);
    connect(&link, &PhoneLink::idleData, this, &ReceiveDispatcher::onIdle);
    connect(&link, &PhoneLink::portFree, this, [this](PhoneLink::Port port) {
        if (port == PhoneLink::Port::Modem)
            pump();
    });
    connect(link.modemPort(), &SerialChannel::aboutToClose, this, [this] { m_queue.clear(); });
}

void ReceiveDispatcher::onNotice(const QByteArray &notice)
{
    if (m_connecting || !m_readSMS)
        return;
    const auto index = at::newMessageIndex(notice);
    if (!index)
        return;
    m_queue.append(*index);
    pump();
}

void ReceiveDispatcher::pump()
{
    if (m_reading || m_queue.isEmpty() || m_link.isClaimed(PhoneLink::Port::Modem) || !m_link.modemPort()->isOpen()
        || !m_link.modemAtMode())
        return;
    readQueued();
}

QCoro::Task<void> ReceiveDispatcher::readQueued()
{
    QPointer<ReceiveDispatcher> self(this);
    m_reading = true;
    PhoneLink::Claim claim = m_link.claim(PhoneLink::Port::Modem);
    while (self && !m_queue.isEmpty() && m_link.modemPort()->isOpen()) {
        const int index = m_queue.takeFirst();
        // Straight to the port: no escape, no pause.
        if (!m_link.writeRaw(PhoneLink::Port::Modem, "AT+CMGR=" + QByteArray::number(index) + '\r').ok())
            break;
        const auto reply = co_await m_link.reader(PhoneLink::Port::Modem).next(at::replyLength, m_link.timing().replyLimit);
        if (!self)
            co_return;
        if (!reply.ok())
            break;
        deliver(index, reply.value);
    }
    if (!self)
        co_return;
    m_reading = false;
    claim.release();
}

void ReceiveDispatcher::deliver(int index, const QByteArray &reply)
{
    if (!reply.contains("CMGR") || at::finalOf(reply) != at::Final::Ok)
        return;
    if (isSignalConnected(QMetaMethod::fromSignal(&ReceiveDispatcher::incomingMessage)))
        emit incomingMessage(index, reply);
    else
        m_link.log().append("Read..New SMS.." + reply.trimmed());
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
            deliver(-1, reply);
            continue;
        }
        // Only the phone's own "ERROR" says it needs a restart; "NO CARRIER" and numbered
        // errors are answers, not a broken phone.
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
