#include "replyreader.h"

#include <QLoggingCategory>

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
    connect(channel, &SerialChannel::aboutToClose, this, &ReplyReader::onClosing);
    connect(channel, &SerialChannel::linkLost, this, &ReplyReader::onLost);
}

ReplyReader::~ReplyReader()
{
    // A coroutine still waiting here is ended by whoever destroys its owner; it must not be
    // resumed into a reader that is gone.
    m_waitTimer.stop();
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

void ReplyReader::onClosing()
{
    // What arrived before the close is still delivered, then the connection is over.
    pull();
    ++m_connection;
    emit changed();
}

void ReplyReader::onLost(const QString &reason)
{
    // The channel closes itself before it reports the loss: that close ended connection
    // m_connection - 1.
    m_lostConnection = m_connection - 1;
    m_lostReason = reason;
    emit changed();
}

void ReplyReader::cancel()
{
    if (m_operations == 0 && !m_busy)
        return;
    m_cancelled = true;
    emit changed();
}

void ReplyReader::beginOperation()
{
    if (m_operations++ == 0)
        m_cancelled = false;
}

void ReplyReader::endOperation()
{
    if (m_operations > 0 && --m_operations == 0)
        m_cancelled = false;
}

QCoro::Task<Result<QByteArray>> ReplyReader::next(Framer framer, QDeadlineTimer deadline)
{
    using R = Result<QByteArray>;
    if (m_busy) {
        // Two readers on one port would take each other's replies.
        qCritical("vandrel: a second coroutine waits on a port that already has one");
        Q_ASSERT_X(false, "ReplyReader::next", "a second waiter on one port");
        co_return R::from(Outcome::failed(FailureKind::Busy, QStringLiteral("The port is busy with another operation.")));
    }
    QPointer<ReplyReader> self(this);
    m_busy = true;
    struct Leave {
        QPointer<ReplyReader> reader;
        ~Leave()
        {
            if (reader)
                reader->m_busy = false;
        }
    } leave{self};
    const quint64 connection = m_connection;
    pull();
    for (;;) {
        if (!self)
            co_return R::from(Outcome::cancelled());
        if (const qsizetype n = framer(m_buffer); n > 0) {
            QByteArray reply = m_buffer.left(n);
            m_buffer.remove(0, n);
            co_return R::of(std::move(reply));
        }
        if (m_cancelled)
            co_return R::from(Outcome::cancelled());
        if (connection != m_connection || !m_channel || !m_channel->isOpen()) {
            if (m_lostConnection == connection)
                co_return R::from(Outcome::failed(FailureKind::LinkLost, m_lostReason));
            co_return R::from(Outcome::failed(FailureKind::PortClosed, QStringLiteral("The port was closed.")));
        }
        const auto left = deadline.remainingTimeAsDuration();
        if (left.count() <= 0)
            co_return R::from(Outcome::failed(FailureKind::TimeOut, QStringLiteral("No reply from the phone.")));
        co_await waitForChange(std::chrono::duration_cast<std::chrono::milliseconds>(left));
    }
}

} // namespace vandrel::link
