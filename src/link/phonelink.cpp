#include "phonelink.h"

#include "qserialchannel.h"

#include <core/at/atreply.h>

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
    m_modemReader = new ReplyReader(m_modem, this);
    m_diagReader = new ReplyReader(m_diag, this);
    m_modemReader->setFilter([this](QByteArray &buffer) {
        if (!m_modemAtMode)
            return;
        for (const QByteArray &notice : at::takeNewMessageNotices(buffer))
            emit newMessageNotice(notice);
    });
    connect(m_modemReader, &ReplyReader::changed, this, [this] {
        if (!isClaimed(Port::Modem) && !m_modemReader->pending().isEmpty())
            emit idleData(Port::Modem);
    });
    connect(m_diagReader, &ReplyReader::changed, this, [this] {
        if (!isClaimed(Port::Diag) && !m_diagReader->pending().isEmpty())
            emit idleData(Port::Diag);
    });
    m_modem->setBaudRate(14400);
    m_diag->setBaudRate(9600);
    for (SerialChannel *ch : {m_modem, m_diag})
        connect(ch, &SerialChannel::opened, this, [this] { m_fatalReported = false; });
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

QCoro::Task<Outcome> PhoneLink::sendCommand(QByteArray text, bool appendCR)
{
    if (text.isEmpty() || !m_modem->isOpen())
        co_return Outcome::completed();
    QPointer<PhoneLink> self(this);
    if (text == kLeaveObex && !m_modem->write(QByteArrayLiteral("+++")))
        co_return Outcome::failed(FailureKind::LinkLost, QStringLiteral("Chyba pri posilani stringu!"));
    co_await QCoro::sleepFor(m_timing.escapePause);
    if (!self)
        co_return Outcome::cancelled();
    // Closed during the pause: the disconnect (or the loss, reported where it happened) ends
    // the command, which is no failure to write.
    if (!m_modem->isOpen())
        co_return portClosed();
    if (appendCR)
        text.append('\r');
    if (!m_modem->write(text))
        co_return Outcome::failed(FailureKind::LinkLost, QStringLiteral("Chyba pri posilani stringu!"));
    co_return Outcome::completed();
}

Outcome PhoneLink::leaveObexMode()
{
    const Outcome o = writeRaw(Port::Modem, QByteArrayLiteral("+++"));
    m_modemAtMode = true;
    return o;
}

QCoro::Task<Outcome> PhoneLink::switchOff()
{
    return sendCommand(QByteArrayLiteral("AT^SMSO"), true);
}

QCoro::Task<Result<QByteArray>> PhoneLink::atCommand(QByteArray command)
{
    return atCommand(std::move(command), m_timing.replyLimit);
}

QCoro::Task<Result<QByteArray>> PhoneLink::atCommand(QByteArray command, std::chrono::milliseconds limit)
{
    if (!m_modem->isOpen())
        co_return Result<QByteArray>::from(
            Outcome::failed(FailureKind::LinkLost, QStringLiteral("The modem port is not open.")));
    const Outcome sent = co_await sendCommand(command, true);
    if (!sent.ok())
        co_return Result<QByteArray>::from(sent);
    co_return co_await m_modemReader->next(at::replyLength, limit);
}

PhoneLink::Claim::Claim(PhoneLink *link, Port p) : m_link(link), m_port(p)
{
    link->reader(p).beginOperation();
}

PhoneLink::Claim::Claim(Claim &&other) noexcept : m_link(std::exchange(other.m_link, nullptr)), m_port(other.m_port) {}

PhoneLink::Claim &PhoneLink::Claim::operator=(Claim &&other) noexcept
{
    if (this != &other) {
        release();
        m_link = std::exchange(other.m_link, nullptr);
        m_port = other.m_port;
    }
    return *this;
}

PhoneLink::Claim::~Claim() { release(); }

void PhoneLink::Claim::release()
{
    if (!m_link)
        return;
    PhoneLink *link = m_link;
    m_link = nullptr;
    link->reader(m_port).endOperation();
    if (link->isClaimed(m_port))
        return;
    // Bytes that came after the session's last reply are the dispatcher's now.
    if (!link->reader(m_port).pending().isEmpty())
        emit link->idleData(m_port);
    emit link->portFree(m_port);
}

Outcome PhoneLink::sendBytes(const QByteArray &block)
{
    if (!m_modem->write(block))
        return Outcome::failed(FailureKind::LinkLost, QStringLiteral("Chyba pri posilani pole!"));
    return Outcome::completed();
}

Outcome PhoneLink::portClosed()
{
    return Outcome::failed(FailureKind::PortClosed, QStringLiteral("The port was closed."));
}

Outcome PhoneLink::writeRaw(Port p, const QByteArray &bytes)
{
    if (!channel(p)->isOpen())
        return portClosed();
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
    if (m_workWindow && m_closeWorkWindow) {
        auto close = std::exchange(m_closeWorkWindow, nullptr);
        m_workWindow = nullptr;
        close();
    }
    m_diagSilenceTimer.stop();
    closePorts();
    // One failure, one report: the sessions that were waiting on the lost port end with the
    // same loss and must not report it again.
    if (std::exchange(m_fatalReported, true))
        return;
    emit fatalError(text);
}

void PhoneLink::handleFailure(const Outcome &outcome)
{
    if (outcome.isLinkFailure())
        fatalLinkError(outcome.detail.isEmpty() ? kReadFailure : outcome.detail);
}

bool PhoneLink::busy() const
{
    for (const ReplyReader *r : {m_modemReader, m_diagReader})
        if (r->operationRunning() || r->isWaiting())
            return true;
    return false;
}

void PhoneLink::deleteWhenIdle()
{
    closePorts();
    if (!busy()) {
        deleteLater();
        return;
    }
    connect(this, &PhoneLink::portFree, this, [this] {
        if (!busy())
            deleteLater();
    });
}

void PhoneLink::closePorts()
{
    m_modem->close();
    m_diag->close();
}

} // namespace vandrel::link
