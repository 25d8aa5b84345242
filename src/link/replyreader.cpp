#include "replyreader.h"

#include <QDeadlineTimer>

namespace vandrel::link {

// The waiting coroutine is resumed from the event loop, never from inside the signal that
// woke it, and only once however many wake-ups come before it runs.
struct ReplyReader::Wake {
    ReplyReader *reader;
    std::chrono::milliseconds limit;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> h)
    {
        reader->m_waiter = h;
        reader->m_waitTimer.start(std::max(limit, std::chrono::milliseconds(0)));
    }
    void await_resume() const noexcept {}
};

ReplyReader::Wake ReplyReader::waitForChange(std::chrono::milliseconds limit)
{
    return Wake{this, limit};
}

void ReplyReader::wake()
{
    if (!m_waiter)
        return;
    m_waitTimer.stop();
    const std::coroutine_handle<> h = std::exchange(m_waiter, {});
    QMetaObject::invokeMethod(this, [h] { h.resume(); }, Qt::QueuedConnection);
}

ReplyReader::ReplyReader(SerialChannel *channel, QObject *parent) : QObject(parent), m_channel(channel)
{
    m_waitTimer.setSingleShot(true);
    connect(&m_waitTimer, &QTimer::timeout, this, &ReplyReader::wake);
    connect(this, &ReplyReader::changed, this, &ReplyReader::wake);
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
        co_await waitForChange(std::chrono::duration_cast<std::chrono::milliseconds>(left));
    }
}

} // namespace vandrel::link
