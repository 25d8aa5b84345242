#include "fakeserialchannel.h"

#include <QMetaObject>

namespace vandrel::channel {

FakeSerialChannel::FakeSerialChannel(QObject *parent) : SerialChannel(parent) {}

void FakeSerialChannel::connectPair(FakeSerialChannel *a, FakeSerialChannel *b)
{
    a->m_peer = b;
    b->m_peer = a;
}

OpenError FakeSerialChannel::open()
{
    ++m_openTries;
    if (m_openError && m_openFailuresLeft != 0) {
        if (m_openFailuresLeft > 0)
            --m_openFailuresLeft;
        return m_openError;
    }
    const bool wasOpen = m_open;
    m_open = true;
    ++m_openCount;
    if (!wasOpen)
        emit opened();
    return {};
}

void FakeSerialChannel::close()
{
    if (m_open)
        emit aboutToClose();
    m_open = false;
    m_input.clear();
}

bool FakeSerialChannel::write(const QByteArray &bytes)
{
    if (!m_open)
        return false;
    if (m_failWrites > 0) {
        --m_failWrites;
        return false;
    }
    if (m_failAfterBytes >= 0 && m_writtenBytes + bytes.size() > m_failAfterBytes)
        return false;
    m_writtenBytes += bytes.size();
    m_writes.append(bytes);
    if (m_peer) {
        QPointer<FakeSerialChannel> peer = m_peer;
        QMetaObject::invokeMethod(
            this, [peer, bytes] { if (peer && peer->isOpen()) peer->feed(bytes); }, Qt::QueuedConnection);
    }
    return true;
}

QByteArray FakeSerialChannel::readAll()
{
    return std::exchange(m_input, {});
}

void FakeSerialChannel::feed(const QByteArray &bytes)
{
    if (!m_open || bytes.isEmpty())
        return;
    m_input.append(bytes);
    emit readyRead();
}

void FakeSerialChannel::hangUp()
{
    if (!m_open)
        return;
    close();
    emit linkLost(QStringLiteral("The other end of %1 went away.").arg(m_name));
    if (m_peer && m_peer->isOpen()) {
        QPointer<FakeSerialChannel> peer = m_peer;
        m_peer = nullptr;
        peer->hangUp();
    }
}

QByteArray FakeSerialChannel::written() const
{
    QByteArray all;
    for (const auto &w : m_writes)
        all += w;
    return all;
}

} // namespace vandrel::channel
