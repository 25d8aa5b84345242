#pragma once
// The send-and-wait rule as a coroutine: a session writes, then awaits the next complete
// reply on its port. What "complete" means is the caller's framer (a diagnostic frame ends at
// 0x7E, an OBEX packet at its length field, an AT reply at its final result code), so the
// result is the same however the bytes were split.
#include "result.h"
#include "serialchannel.h"

#include <QByteArray>
#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <coroutine>
#include <functional>

namespace vandrel::link {

// Returns the length of the complete reply at the start of `buffer`, or 0 while incomplete.
using Framer = std::function<qsizetype(const QByteArray &buffer)>;

class ReplyReader : public QObject {
    Q_OBJECT
public:
    explicit ReplyReader(SerialChannel *channel, QObject *parent = nullptr);

    // Waits for the next complete reply, at most `limit` of silence-or-not (the limit runs
    // from the call). Ends as TimeOut, LinkLost, or Cancelled after cancel().
    QCoro::Task<Result<QByteArray>> next(Framer framer, std::chrono::milliseconds limit);

    // Bytes received and not yet taken by a reply.
    QByteArray &pending() { return m_buffer; }
    void discardPending() { m_buffer.clear(); }

    // Applied to the buffer whenever bytes arrive (the modem port takes unsolicited notices
    // out here, wherever they fall).
    void setFilter(std::function<void(QByteArray &)> filter) { m_filter = std::move(filter); }

    void cancel();
    void resetCancel() { m_cancelled = false; }
    bool isCancelled() const { return m_cancelled; }

signals:
    void changed();

private:
    void pull();
    // Suspends the waiting coroutine until bytes arrive, the link changes, or `limit` passes.
    struct Wake;
    Wake waitForChange(std::chrono::milliseconds limit);
    void wake();
    std::coroutine_handle<> m_waiter;
    QTimer m_waitTimer;

    QPointer<SerialChannel> m_channel;
    std::function<void(QByteArray &)> m_filter;
    QByteArray m_buffer;
    bool m_cancelled = false;
    bool m_lost = false;
    QString m_lostReason;
};

} // namespace vandrel::link
