#include "phonelink.h"

#include "qserialchannel.h"

#include <QCoroTimer>

namespace vandrel::link {

namespace {
const QByteArray kLeaveObex = QByteArrayLiteral("AT^SQWE=0");
const QString kReadFailure = QStringLiteral("!!!Fatalni chyba pri cteni z portu!!!");
} // namespace

PhoneLink::PhoneLink(SerialChannel *modem, SerialChannel *diag, QObject *parent)
    : QObject(parent), m_modem(modem), m_diag(diag)
{
    m_modem->setParent(this);
    m_diag->setParent(this);
    m_modem->setBaudRate(14400);
    m_diag->setBaudRate(9600);
    m_timer.setInterval(20);
    m_timer9.setInterval(1000);
    m_brewTimer.setInterval(10);
    connect(m_modem, &SerialChannel::linkLost, this,
            [this](const QString &reason) { emit portLost(Port::Modem, reason); });
    connect(m_diag, &SerialChannel::linkLost, this,
            [this](const QString &reason) { emit portLost(Port::Diag, reason); });
}

PhoneLink::~PhoneLink() = default;

std::unique_ptr<PhoneLink> PhoneLink::withSerialPorts(QObject *parent)
{
    return std::make_unique<PhoneLink>(new QSerialChannel(65534), new QSerialChannel(4096), parent);
}

QCoro::Task<Outcome> PhoneLink::posliStr(QByteArray text, bool appendCR)
{
    if (text.isEmpty() || !m_modem->isOpen())
        co_return Outcome::completed();
    QPointer<PhoneLink> self(this);
    if (text == kLeaveObex && !m_modem->write(QByteArrayLiteral("+++")))
        co_return Outcome::failed(FailureKind::LinkLost, QStringLiteral("Chyba pri posilani stringu!"));
    co_await QCoro::sleepFor(m_timing.escapePause);
    if (!self)
        co_return Outcome::cancelled();
    if (appendCR)
        text.append('\r');
    if (!m_modem->write(text))
        co_return Outcome::failed(FailureKind::LinkLost, QStringLiteral("Chyba pri posilani stringu!"));
    co_return Outcome::completed();
}

Outcome PhoneLink::sendBytes(const QByteArray &block)
{
    if (!m_modem->write(block))
        return Outcome::failed(FailureKind::LinkLost, QStringLiteral("Chyba pri posilani pole!"));
    m_state.transferWait = true;
    return Outcome::completed();
}

Outcome PhoneLink::writeRaw(Port p, const QByteArray &bytes)
{
    if (!channel(p)->write(bytes))
        return Outcome::failed(FailureKind::LinkLost, QStringLiteral("Chyba pri posilani pole!"));
    return Outcome::completed();
}

void PhoneLink::registerWorkWindow(QObject *window, std::function<void()> closeAsCancelled)
{
    m_workWindow = window;
    m_closeWorkWindow = std::move(closeAsCancelled);
}

void PhoneLink::unregisterWorkWindow(QObject *window)
{
    if (m_workWindow == window) {
        m_workWindow = nullptr;
        m_closeWorkWindow = nullptr;
    }
}

void PhoneLink::fatalLinkError(const QString &text)
{
    m_state.atOnlyConnection = false;
    if (m_workWindow && m_closeWorkWindow) {
        auto close = std::exchange(m_closeWorkWindow, nullptr);
        m_workWindow = nullptr;
        close();
    }
    m_state.exchangeBusy = false;
    m_state.brewReading = false;
    m_state.brewSeq = 0;
    m_state.skipExisting = false;
    m_timer.stop();
    m_timer9.stop();
    m_brewTimer.stop();
    closePorts();
    emit fatalError(text);
}

void PhoneLink::handleFailure(const Outcome &outcome)
{
    if (outcome.isLinkFailure())
        fatalLinkError(outcome.detail.isEmpty() ? kReadFailure : outcome.detail);
}

void PhoneLink::closePorts()
{
    m_modem->close();
    m_diag->close();
}

} // namespace vandrel::link
