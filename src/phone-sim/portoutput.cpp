#include "portoutput.h"

#include <algorithm>
#include <utility>

namespace vandrel::phonesim {

PortOutput::PortOutput(QObject *parent) : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &PortOutput::pump);
}

void PortOutput::setSink(std::function<bool(const QByteArray &)> write, std::function<void()> drop)
{
    m_write = std::move(write);
    m_drop = std::move(drop);
}

void PortOutput::setSplit(Split split, quint32 seed)
{
    m_split = split;
    m_random.seed(seed);
}

void PortOutput::send(const QByteArray &bytes)
{
    if (m_silent || m_dropping || bytes.isEmpty())
        return;
    const bool wasIdle = m_queue.isEmpty() && !m_timer.isActive();
    if (!m_prefix.isEmpty() && m_sent + m_queue.size() >= m_prefixAt)
        m_queue.append(std::exchange(m_prefix, {}));
    m_queue.append(bytes);
    if (!wasIdle)
        return;
    if (m_delayMs > 0)
        m_timer.start(m_delayMs);
    else if (m_lineRate == 0 && (m_split == Split::Whole || m_pieceGapMs == 0))
        pump();
    else
        m_timer.start(0);
}

qsizetype PortOutput::nextChunkSize()
{
    switch (m_split) {
    case Split::Whole:
        break;
    case Split::ByteByByte:
        return 1;
    case Split::Random:
        return 1 + qsizetype(m_random.bounded(quint32(std::min<qsizetype>(m_queue.size(), 96))));
    }
    if (m_lineRate > 0)
        return std::min<qsizetype>(m_queue.size(), 64); // a throttled line trickles
    return m_queue.size();
}

void PortOutput::pump()
{
    while (!m_queue.isEmpty()) {
        if (m_silent) {
            m_queue.clear();
            return;
        }
        if (m_stallAt >= 0 && m_sent >= m_stallAt) {
            m_stallAt = -1;
            m_timer.start(m_stallMs);
            return;
        }
        qsizetype n = nextChunkSize();
        if (m_stallAt > m_sent)
            n = std::min<qsizetype>(n, qsizetype(m_stallAt - m_sent));
        bool dropAfterThis = false;
        bool silentAfterThis = false;
        if (m_dropAt >= 0 && m_sent + n >= m_dropAt) {
            n = qsizetype(m_dropAt - m_sent);
            dropAfterThis = true;
        }
        if (m_silentAt >= 0 && m_sent + n >= m_silentAt) {
            n = std::min<qsizetype>(n, qsizetype(m_silentAt - m_sent));
            silentAfterThis = !dropAfterThis || m_silentAt < m_dropAt;
            dropAfterThis = dropAfterThis && !silentAfterThis;
        }
        const QByteArray chunk = m_queue.left(n);
        m_queue.remove(0, n);
        if (!chunk.isEmpty() && m_write)
            m_write(chunk);
        m_sent += chunk.size();
        if (dropAfterThis) {
            m_queue.clear();
            m_dropAt = -1;
            // The bytes written so far reach the other end before the cable goes.
            m_dropping = true;
            QTimer::singleShot(20, this, [this] {
                m_dropping = false;
                if (m_drop)
                    m_drop();
                emit linkDropped();
            });
            return;
        }
        if (silentAfterThis) {
            m_silentAt = -1;
            goSilent();
            return;
        }
        if (m_lineRate > 0) {
            m_lineDebtUs += chunk.size() * 10 * 1000000LL / m_lineRate;
            if (m_lineDebtUs >= 1000) {
                const int ms = int(m_lineDebtUs / 1000);
                m_lineDebtUs -= qint64(ms) * 1000;
                if (!m_queue.isEmpty())
                    m_timer.start(ms);
                return;
            }
            continue;
        }
        // Split pieces are separate writes, so each arrives as its own delivery.
        if (m_split != Split::Whole && m_pieceGapMs > 0 && !m_queue.isEmpty()) {
            m_timer.start(m_pieceGapMs);
            return;
        }
    }
}

} // namespace vandrel::phonesim
