#include "replyreader.h"

#include <QCoroSignal>
#include <QDeadlineTimer>

namespace vandrel::link {

ReplyReader::ReplyReader(SerialChannel *channel, QObject *parent) : QObject(parent), m_channel(channel)
{
    connect(channel, &SerialChannel::readyRead, this, &ReplyReader::pull);
    connect(channel, &SerialChannel::linkLost, this, [this](const QString &reason) {
        m_lost = true;
        m_lostReason = reason;
        emit changed();
    });
}

void ReplyReader::pull()
{
    if (m_channel && m_channel->isOpen()) {
        const QByteArray bytes = m_channel->readAll();
        if (!bytes.isEmpty())
            m_buffer += bytes;
    }
    if (m_filter && !m_buffer.isEmpty())
        m_filter(m_buffer);
    emit changed();
}

void ReplyReader::cancel()
{
    m_cancelled = true;
    emit changed();
}

QCoro::Task<Result<QByteArray>> ReplyReader::next(Framer framer, std::chrono::milliseconds limit)
{
    QPointer<ReplyReader> self(this);
    const QDeadlineTimer deadline(limit);
    if (m_channel && m_channel->isOpen())
        m_lost = false; // a new connection since the last loss
    pull();
    for (;;) {
        if (!self)
            co_return Result<QByteArray>::from(Outcome::cancelled());
        if (const qsizetype n = framer(m_buffer); n > 0) {
            QByteArray reply = m_buffer.left(n);
            m_buffer.remove(0, n);
            co_return Result<QByteArray>::of(std::move(reply));
        }
        if (m_cancelled) {
            m_cancelled = false; // one cancel ends one wait
            co_return Result<QByteArray>::from(Outcome::cancelled());
        }
        if (m_lost || !m_channel || !m_channel->isOpen())
            co_return Result<QByteArray>::from(Outcome::failed(
                FailureKind::LinkLost, m_lostReason.isEmpty() ? QStringLiteral("The port is closed.") : m_lostReason));
        const auto left = deadline.remainingTimeAsDuration();
        if (left.count() <= 0)
            co_return Result<QByteArray>::from(
                Outcome::failed(FailureKind::TimeOut, QStringLiteral("No reply from the phone.")));
        co_await qCoro(this, &ReplyReader::changed, std::chrono::duration_cast<std::chrono::milliseconds>(left));
    }
}

} // namespace vandrel::link
