#include "brewframes.h"

#include <core/diag/frame.h>

#include <QDeadlineTimer>
#include <QPointer>
#include <QTimer>
#include <coroutine>
#include <memory>

namespace vandrel::link {

namespace {

// Resumes the waiting coroutine once: at the reader's next change or when the time is up.
class ChangeOrTimeout {
public:
    ChangeOrTimeout(ReplyReader &reader, std::chrono::milliseconds limit)
        : m_reader(&reader), m_limit(limit), m_state(std::make_shared<State>())
    {
    }

    bool await_ready() const noexcept { return !m_reader; }
    void await_suspend(std::coroutine_handle<> handle)
    {
        m_state->handle = handle;
        const std::weak_ptr<State> weak = m_state;
        auto wake = [weak] {
            const auto s = weak.lock();
            if (!s || s->done)
                return;
            s->done = true;
            QObject::disconnect(s->connection);
            s->timer.stop();
            s->handle.resume();
        };
        m_state->connection = QObject::connect(m_reader, &ReplyReader::changed, m_reader, wake, Qt::QueuedConnection);
        m_state->timer.setSingleShot(true);
        QObject::connect(&m_state->timer, &QTimer::timeout, &m_state->timer, wake);
        m_state->timer.start(m_limit);
    }
    void await_resume() const noexcept {}

private:
    struct State {
        std::coroutine_handle<> handle;
        QMetaObject::Connection connection;
        QTimer timer;
        bool done = false;
        ~State() { QObject::disconnect(connection); }
    };
    QPointer<ReplyReader> m_reader;
    std::chrono::milliseconds m_limit;
    std::shared_ptr<State> m_state;
};

} // namespace

QCoro::Task<Result<QByteArray>> nextDiagFrame(PhoneLink &link, std::chrono::milliseconds limit)
{
    QPointer<PhoneLink> self(&link);
    const QDeadlineTimer deadline(limit);
    ReplyReader &reader = link.reader(PhoneLink::Port::Diag);
    if (link.javaPort()->bytesAvailable() > 0)
        reader.pending() += link.javaPort()->readAll();
    for (;;) {
        if (!self)
            co_return Result<QByteArray>::from(Outcome::cancelled());
        QByteArray &buffer = link.reader(PhoneLink::Port::Diag).pending();
        if (const qsizetype n = diag::diagFrameLength(buffer); n > 0) {
            QByteArray frame = buffer.left(n);
            buffer.remove(0, n);
            co_return Result<QByteArray>::of(std::move(frame));
        }
        if (reader.isCancelled()) {
            reader.resetCancel();
            co_return Result<QByteArray>::from(Outcome::cancelled());
        }
        if (!link.javaPort()->isOpen())
            co_return Result<QByteArray>::from(
                Outcome::failed(FailureKind::LinkLost, QStringLiteral("The diagnostic port was closed or lost.")));
        const auto left = deadline.remainingTimeAsDuration();
        if (left.count() <= 0)
            co_return Result<QByteArray>::from(Outcome::failed(FailureKind::TimeOut, QStringLiteral("No reply from the phone.")));
        co_await ChangeOrTimeout(reader, std::chrono::duration_cast<std::chrono::milliseconds>(left) + std::chrono::milliseconds(1));
    }
}

} // namespace vandrel::link
