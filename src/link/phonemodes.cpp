#include "phonemodes.h"

#include <core/diag/frame.h>

#include <QPointer>

namespace vandrel::link {

PhoneModes::PhoneModes(PhoneLink &link, QObject *parent) : QObject(parent), m_link(link)
{
    connect(&link, &PhoneLink::idleData, this, &PhoneModes::onIdle);
}

bool PhoneModes::send(PhoneMode mode)
{
    return m_link.writeRaw(PhoneLink::Port::Diag, diag::encodeDiagFrame(diag::modeRequest(mode))).ok();
}

bool PhoneModes::switchMode(PhoneMode mode)
{
    SerialChannel *diag = m_link.diagPort();
    if (m_link.modemPort()->isOpen()) {
        m_link.modemPort()->close();
        if (!diag->isOpen() && diag->open())
            return false;
    }
    if (!diag->isOpen())
        return false;
    return send(mode);
}

bool PhoneModes::resetOverDiag()
{
    return m_link.diagPort()->isOpen() && send(PhoneMode::ResetRequest);
}

void PhoneModes::onIdle(PhoneLink::Port port)
{
    if (port != PhoneLink::Port::Diag)
        return;
    QByteArray &pending = m_link.reader(port).pending();
    // Frames nobody waits for: only the mode replies mean something here.
    while (const qsizetype n = diag::diagFrameLength(pending)) {
        const QByteArray frame = pending.left(n);
        pending.remove(0, n);
        const auto decoded = diag::decodeDiagFrame(frame);
        if (decoded && decoded->checkValid)
            act(diag::modeReplyAction(decoded->payload, m_obexAccess));
    }
}

void PhoneModes::act(ModeReplyAction action)
{
    switch (action) {
    case ModeReplyAction::None:
        return;
    case ModeReplyAction::Restart:
        send(PhoneMode::Restart);
        m_link.diagSilenceTimer().stop();
        m_link.diagPort()->close();
        emit restarted();
        return;
    case ModeReplyAction::BackToModem:
        m_link.diagPort()->close();
        if (m_link.modemPort()->open()) {
            emit reconnectNeeded();
            return;
        }
        emit backOnModemPort();
        return;
    }
}

QCoro::Task<Outcome> PhoneModes::requestMode(PhoneMode mode)
{
    QPointer<PhoneModes> self(this);
    if (!m_link.diagPort()->isOpen())
        co_return Outcome::failed(FailureKind::LinkLost, QStringLiteral("The diagnostic port is not open."));
    auto claim = m_link.claim(PhoneLink::Port::Diag);
    if (!send(mode))
        co_return Outcome::failed(FailureKind::LinkLost, QStringLiteral("The request could not be written."));
    const QDeadlineTimer deadline(m_link.timing().replyLimit);
    for (;;) {
        const auto frame = co_await m_link.reader(PhoneLink::Port::Diag).next(diag::diagFrameLength, deadline);
        if (!self)
            co_return Outcome::cancelled();
        if (!frame.ok())
            co_return frame.outcome;
        const auto decoded = diag::decodeDiagFrame(frame.value);
        if (!decoded || !decoded->checkValid || decoded->payload.isEmpty())
            continue;
        const diag::ModeReply reply = diag::judgeModeReply(decoded->payload);
        if (reply.kind == diag::ModeReply::Kind::Echo)
            break;
        if (reply.kind == diag::ModeReply::Kind::Error)
            co_return Outcome::failed(FailureKind::Refused,
                                      QStringLiteral("The phone refused the mode change (error 0x%1).")
                                          .arg(reply.errorCode, 2, 16, QLatin1Char('0')));
    }
    if (mode == PhoneMode::ResetRequest) {
        send(PhoneMode::Restart);
        m_link.diagPort()->close();
    }
    co_return Outcome::completed();
}

} // namespace vandrel::link
