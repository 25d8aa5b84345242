#pragma once
// The send-and-wait rule as a coroutine: a session writes, then awaits the next complete
// reply on its port. What "complete" means is the caller's framer (a diagnostic frame ends at
// 0x7E, an OBEX packet at its length field, an AT reply at its final result code), so the
// result is the same however the bytes were split.
//
// One coroutine waits on a port at a time. Closing the port, losing it, or cancelling the
// operation that holds it wakes that coroutine at once with a typed outcome; a wait started
// after the port was opened again is never ended by what happened to the earlier connection.
#include "channelnames.h"
#include "result.h"

#include <QByteArray>
#include <QCoroTask>
#include <QDeadlineTimer>
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
    ~ReplyReader() override;

    // Waits for the next complete reply until `deadline` (bytes that complete nothing do not
    // move it). Ends as TimeOut, LinkLost, PortClosed, or Cancelled after cancel().
    // A duration converts to the deadline it gives from now.
    QCoro::Task<Result<QByteArray>> next(Framer framer, QDeadlineTimer deadline);

    // Bytes received and not yet taken by a reply.
    QByteArray &pending() { return m_buffer; }
    void discardPending() { m_buffer.clear(); }

    // Applied to the buffer whenever bytes arrive (the modem port takes unsolicited notices
    // out here, wherever they fall).
    void setFilter(std::function<void(QByteArray &)> filter) { m_filter = std::move(filter); }

    // Ends the operation that holds the port: its wait in flight, and every later wait of it,
    // end as cancelled until the operation releases the port (endOperation). Without an
    // operation running, a cancel has nothing to end and is forgotten.
    void cancel();
    bool isCancelled() const { return m_cancelled; }
    // A cancelled operation that still has to wait (for the reply the phone owes it).
    void resetCancel() { m_cancelled = false; }
    // The port's holder changes: a new operation starts, or the last one ended.
    void beginOperation();
    void endOperation();
    bool operationRunning() const { return m_operations > 0; }
    bool isWaiting() const { return m_busy; }

signals:
    void changed();

private:
    void pull();
    void onClosing();
    void onLost(const QString &reason);
    // Suspends the waiting coroutine until bytes arrive, the port changes, or `limit` passes.
    struct Wake;
    Wake waitForChange(std::chrono::milliseconds limit);
    void wake();

    std::coroutine_handle<> m_waiter;
    QTimer m_waitTimer;
    bool m_busy = false;            // a coroutine is inside next()

    QPointer<SerialChannel> m_channel;
    std::function<void(QByteArray &)> m_filter;
    QByteArray m_buffer;
    int m_operations = 0;
    bool m_cancelled = false;
    // Each close of the port ends a connection; a wait belongs to the one it started in.
    quint64 m_connection = 0;
    quint64 m_lostConnection = ~quint64(0);
    QString m_lostReason;
};

} // namespace vandrel::link
