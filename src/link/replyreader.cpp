#include "replyreader.h"

#include <coroutine>
#include <QDeadlineTimer>
#include <QTimer>

namespace vandrel::link {

namespace {
// Resumes the waiting coroutine when the timer fires.
struct WakeUp {
    QTimer *timer;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiting) const
    {
        QObject::connect(timer, &QTimer::timeout, timer, [waiting] { waiting.resume(); }, Qt::SingleShotConnection);
    }
    void await_resume() const noexcept {}
};
} // namespace

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
        // One waker per wait that fires at most once: a wake-up queued for a wait that has
        // already ended can then never resume a coroutine frame that is gone.
        auto *wake = new QTimer(this);
        wake->setSingleShot(true);
        connect(this, &ReplyReader::changed, wake, [wake] {
            if (wake->isActive())
                wake->start(0);
        });
        wake->start(std::chrono::duration_cast<std::chrono::milliseconds>(left));
        co_await WakeUp{wake};
        wake->deleteLater(); // not at once: its own signal is being delivered
    }
}

} // namespace vandrel::link
