#include "connectsession.h"

#include <core/at/atreply.h>

#include <QCoroTimer>
#include <QPointer>

namespace vandrel::link {

ConnectSession::ConnectSession(PhoneLink &link, ConnectMode mode, bool readSMS, QObject *parent)
    : QObject(parent), m_link(link), m_mode(mode), m_readSMS(readSMS)
{
}

void ConnectSession::cancel()
{
    m_cancelled = true;
    m_link.reader(port()).cancel();
}

QCoro::Task<Outcome> ConnectSession::openPort()
{
    QPointer<ConnectSession> self(this);
    SerialChannel *ch = m_link.channel(port());
    for (int attempt = 1; attempt <= m_link.timing().openTries; ++attempt) {
        if (m_cancelled)
            co_return Outcome::cancelled();
        emit openTry(attempt);
        m_openError = ch->open();
        if (!m_openError)
            co_return Outcome::completed();
        if (attempt < m_link.timing().openTries) {
            co_await QCoro::sleepFor(m_link.timing().openRetry);
            if (!self || m_cancelled)
                co_return Outcome::cancelled();
        }
    }
    co_return Outcome::failed(FailureKind::LinkLost, m_openError.message);
}

QCoro::Task<Result<QByteArray>> ConnectSession::expectOk(QByteArray command, std::chrono::milliseconds limit)
{
    if (!m_deadline.isForever())
        limit = std::min(limit, std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline.remainingTimeAsDuration()));
    auto r = co_await m_link.atCommand(command, limit);
    if (r.ok() && at::finalOf(r.value) != at::Final::Ok)
        co_return Result<QByteArray>::from(Outcome::failed(
            FailureKind::PhoneError, QStringLiteral("Received Error from phone. Try to restart it")));
    co_return r;
}

QCoro::Task<Outcome> ConnectSession::echoAndNotices()
{
    QPointer<ConnectSession> self(this);
    auto claim = m_link.claim(PhoneLink::Port::Modem);
    ExchangeLog &log = m_link.log();
    m_link.setModemAtMode(true);
    log.append(QStringLiteral("Write..ATE1"));
    auto echo = co_await expectOk(QByteArrayLiteral("ATE1"), m_link.timing().echoLimit);
    if (!self)
        co_return Outcome::cancelled();
    if (echo.outcome.kind == FailureKind::TimeOut && echo.outcome.isFailed()) {
        // A phone left in OBEX mode takes "ATE1" for packet bytes and stays silent: leave OBEX
        // mode with the escape, framed by silence, and ask once more.
        co_await QCoro::sleepFor(m_link.timing().escapeGuard);
        if (!self)
            co_return Outcome::cancelled();
        m_link.reader(PhoneLink::Port::Modem).discardPending();
        if (const Outcome o = m_link.writeRaw(PhoneLink::Port::Modem, QByteArrayLiteral("+++")); !o.ok())
            co_return o;
        co_await QCoro::sleepFor(m_link.timing().escapeGuard);
        if (!self)
            co_return Outcome::cancelled();
        m_link.reader(PhoneLink::Port::Modem).discardPending();
        echo = co_await expectOk(QByteArrayLiteral("ATE1"), m_link.timing().echoLimit);
        if (!self)
            co_return Outcome::cancelled();
    }
    if (!echo.ok())
        co_return echo.outcome;
    log.append(QStringLiteral("Read..ATE..OK"));
    if (m_readSMS) {
        log.append(QStringLiteral("Write..Read SMS"));
        const auto notices = co_await expectOk(QByteArrayLiteral("AT+CNMI=1,1,0,2"), m_link.timing().replyLimit);
        if (!self)
            co_return Outcome::cancelled();
        if (!notices.ok())
            co_return notices.outcome;
        log.append(QStringLiteral("Read..Read SMS..OK"));
    }
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ConnectSession::enterObexMode(bool logSteps)
{
    QPointer<ConnectSession> self(this);
    auto claim = m_link.claim(PhoneLink::Port::Modem);
    ExchangeLog &log = m_link.log();
    m_link.setModemAtMode(true);
    if (logSteps)
        log.append(QStringLiteral("Write..AT^SQWE=0"));
    const auto leave = co_await expectOk(QByteArrayLiteral("AT^SQWE=0"), m_link.timing().replyLimit);
    if (!self)
        co_return Outcome::cancelled();
    if (!leave.ok())
        co_return leave.outcome;
    if (logSteps) {
        log.append(QStringLiteral("Read..AT^SQWE=0..OK"));
        log.append(QStringLiteral("Write..AT^SQWE=3"));
    }
    const auto enter = co_await expectOk(QByteArrayLiteral("AT^SQWE=3"), m_link.timing().replyLimit);
    if (!self)
        co_return Outcome::cancelled();
    if (!enter.ok())
        co_return enter.outcome;
    if (logSteps)
        log.append(QStringLiteral("Read..AT^SQWE=3..OK"));
    m_link.setModemAtMode(false);
    co_return Outcome::completed();
}

QCoro::Task<Outcome> ConnectSession::connectWithoutObex()
{
    QPointer<ConnectSession> self(this);
    m_link.log().clear();
    const Outcome opened = co_await openPort();
    if (!self)
        co_return Outcome::cancelled();
    if (!opened.ok())
        co_return opened;
    if (m_mode == ConnectMode::AtOnly) {
        m_link.log().append(QStringLiteral("OBEX CONNECTING BEGIN"));
        m_link.setModemAtMode(true);
        // The reply goes to the receive dispatcher; the connection stands at once.
        co_return co_await m_link.sendCommand(QByteArrayLiteral("ATE1"), true);
    }
    co_return Outcome::completed();
}

} // namespace vandrel::link
