#include "obexsession.h"

#include "connectsession.h"

#include <QPointer>

namespace vandrel::link {

using obex::Step;
using Phase = obex::Pass::Phase;

namespace {
template <class T>
Result<T> failure(FailureKind kind, const QString &detail)
{
    return Result<T>::from(Outcome::failed(kind, detail));
}

const QString kMemoryError = QStringLiteral("Chyba při čtení velikosti MMC");

// What a pass that stopped in `phase` with `next` tells the user.
Outcome passFailure(Phase phase, const obex::Next &next, const QString &walkName)
{
    switch (phase) {
    case Phase::Connect:
        return Outcome::failed(FailureKind::Refused, QStringLiteral("The phone refused the OBEX connection."));
    case Phase::Walk:
        if (next.step == Step::Invalid)
            return Outcome::failed(FailureKind::Usage, next.error);
        if (next.step == Step::NotFound)
            return Outcome::failed(FailureKind::NotFound, QStringLiteral("The folder %1 was not found.").arg(walkName));
        return Outcome::failed(FailureKind::Malformed, QStringLiteral("Unexpected answer when entering %1.").arg(walkName));
    case Phase::Memory:
        return Outcome::failed(FailureKind::Malformed, kMemoryError);
    case Phase::Listing:
    case Phase::Finished:
        break;
    }
    if (next.step == Step::NotFound)
        return Outcome::failed(FailureKind::NotFound, QStringLiteral("The folder was not found."));
    if (next.step == Step::Refused)
        return Outcome::failed(FailureKind::Refused, QStringLiteral("The phone refused the folder listing (%1).").arg(next.error));
    return Outcome::failed(FailureKind::Malformed, next.error);
}
} // namespace

ObexSession::ObexSession(PhoneLink &link, QObject *parent) : QObject(parent), m_link(link) {}

std::chrono::milliseconds ObexSession::limit() const
{
    const auto reply = m_link.timing().replyLimit;
    if (m_deadline.isForever())
        return reply;
    return std::min(reply, std::chrono::duration_cast<std::chrono::milliseconds>(
                               m_deadline.remainingTimeAsDuration()));
}

void ObexSession::log(const QString &line)
{
    if (m_connectingLog)
        m_link.log().append(line);
}

void ObexSession::logAlways(const QByteArray &line)
{
    m_link.log().append(line);
}

QCoro::Task<Result<ObexSession::Answer>> ObexSession::converse(QByteArray bytes, Judge judge)
{
    QPointer<ObexSession> self(this);
    const Outcome sent = co_await m_link.sendCommand(bytes, false);
    if (!self)
        co_return Result<Answer>::from(Outcome::cancelled());
    if (!sent.ok())
        co_return Result<Answer>::from(sent);
    ReplyReader &reader = m_link.reader(PhoneLink::Port::Modem);
    const QDeadlineTimer deadline(limit());
    for (;;) {
        const auto reply = co_await reader.next(obex::replyLength, deadline);
        if (!self)
            co_return Result<Answer>::from(Outcome::cancelled());
        if (!reply.ok())
            co_return Result<Answer>::from(reply.outcome);
        obex::Next next = judge(reply.value);
        if (next.step == Step::PhoneError)
            co_return failure<Answer>(FailureKind::PhoneError, QStringLiteral("Received Error from phone. Try to restart it"));
        if (next.step != Step::Ignored)
            co_return Result<Answer>::of(Answer{std::move(next), reply.value});
        logAlways("Read..Unknown Data.." + reply.value.trimmed());
    }
}

QCoro::Task<Result<QByteArray>> ObexSession::request(QByteArray packet, bool appendCR)
{
    QPointer<ObexSession> self(this);
    if (appendCR)
        packet.append('\r');
    const Judge anyPacket = [](QByteArrayView reply) {
        QByteArrayView packetBytes;
        if (const auto line = obex::judgeLine(reply, packetBytes))
            return *line;
        return obex::Next{Step::Done, {}, {}};
    };
    const auto answer = co_await converse(packet, anyPacket);
    if (!self)
        co_return Result<QByteArray>::from(Outcome::cancelled());
    if (!answer.ok())
        co_return Result<QByteArray>::from(answer.outcome);
    co_return Result<QByteArray>::of(obex::replyContent(answer.value.reply).toByteArray());
}

QCoro::Task<Outcome> ObexSession::run(obex::Pass &pass, obex::PassPlan plan)
{
    QPointer<ObexSession> self(this);
    const Judge judge = [&pass](QByteArrayView reply) { return pass.onReply(reply); };
    obex::Next next = pass.start(std::move(plan));
    std::optional<Phase> logged;
    while (next.step == Step::Send) {
        const Phase phase = pass.phase();
        if (phase != logged && phase == Phase::Connect)
            log(QStringLiteral("Write..ObexConnect"));
        if (phase != logged && phase == Phase::Listing)
            log(QStringLiteral("Write..FolderListing"));
        if (phase == Phase::Walk)
            log(QStringLiteral("Write..Entering ") + pass.walkName());
        logged = phase;
        const auto answer = co_await converse(next.bytes, judge);
        if (!self)
            co_return Outcome::cancelled();
        if (!answer.ok()) {
            Outcome o = answer.outcome;
            if (phase == Phase::Memory && o.isFailed() && o.kind != FailureKind::LinkLost)
                o.detail = kMemoryError;
            co_return o;
        }
        const QByteArray reply = obex::replyContent(answer.value.reply).toByteArray();
        next = answer.value.next;
        const bool movedOn = next.step == Step::Send || next.step == Step::Done;
        switch (phase) {
        case Phase::Connect:
            logAlways("Read..Obex.." + reply);
            if (movedOn)
                log(QStringLiteral("Read..ObexConnect..OK"));
            else
                log(QStringLiteral("Read..Unknown Data..") + QString::fromLatin1(reply));
            break;
        case Phase::Walk:
            logAlways("Read..Obex.." + reply);
            // The folder was entered, even when the next name cannot be carried.
            if (movedOn || next.step == Step::Invalid)
                log(QStringLiteral("Read..Done..OK"));
            break;
        case Phase::Memory:
            logAlways("Read..Obex.." + reply);
            break;
        case Phase::Listing:
            if (next.step == Step::Send) {
                logAlways(QByteArrayLiteral("Read..Dir contain..incomplete"));
                logAlways(QByteArrayLiteral("Write..Requesting rest of Dir Contain"));
            } else if (next.step == Step::Done) {
                logAlways(QByteArrayLiteral("Read..Dir contain..done"));
            }
            break;
        case Phase::Finished:
            break;
        }
    }
    if (next.step == Step::Done)
        co_return Outcome::completed();
    co_return passFailure(pass.phase(), next, pass.walkName());
}

QCoro::Task<Outcome> ObexSession::connect()
{
    obex::Pass pass(m_acceptance);
    obex::PassPlan plan{true, {}, std::nullopt, false};
    co_return co_await run(pass, std::move(plan));
}

QCoro::Task<Outcome> ObexSession::walk(const QStringList &path)
{
    obex::Pass pass(m_acceptance);
    obex::PassPlan plan{false, path, std::nullopt, false};
    co_return co_await run(pass, std::move(plan));
}

QCoro::Task<Result<MemorySizes>> ObexSession::memorySizes(obex::MemoryRoot root)
{
    QPointer<ObexSession> self(this);
    obex::Pass pass(m_acceptance);
    obex::PassPlan plan{false, {}, root, false};
    const Outcome o = co_await run(pass, std::move(plan));
    if (!self)
        co_return Result<MemorySizes>::from(Outcome::cancelled());
    if (!o.ok())
        co_return Result<MemorySizes>::from(o);
    co_return Result<MemorySizes>::of(pass.memory());
}

QCoro::Task<Result<QList<explorer::DirEntry>>> ObexSession::folderListing(bool *lenient)
{
    using Rows = QList<explorer::DirEntry>;
    QPointer<ObexSession> self(this);
    obex::Pass pass(m_acceptance);
    obex::PassPlan plan{false, {}, std::nullopt, true};
    const Outcome o = co_await run(pass, std::move(plan));
    if (!self)
        co_return Result<Rows>::from(Outcome::cancelled());
    if (!o.ok())
        co_return Result<Rows>::from(o);
    if (lenient)
        *lenient = pass.lenient();
    co_return Result<Rows>::of(pass.entries());
}

void ObexSession::leaveObexMode()
{
    m_link.leaveObexMode();
}

QCoro::Task<Result<ObexFolder>> ObexSession::listInObexMode(QStringList path, bool sizeQueryPending)
{
    QPointer<ObexSession> self(this);
    auto claim = m_link.claim(PhoneLink::Port::Modem);
    std::optional<obex::MemoryRoot> memory;
    if (sizeQueryPending || path.size() == 1)
        memory = obex::memoryRootOf(path);
    obex::Pass pass(m_acceptance);
    obex::PassPlan plan{true, path, memory, true};
    const Outcome o = co_await run(pass, std::move(plan));
    if (!self)
        co_return Result<ObexFolder>::from(Outcome::cancelled());
    if (!o.ok()) {
        // A cancelled pass has nothing more to say to the phone.
        if (o.kind != FailureKind::LinkLost)
            leaveObexMode();
        co_return Result<ObexFolder>::from(o);
    }
    ObexFolder folder;
    folder.entries = pass.entries();
    folder.memory = pass.memory();
    folder.lenient = pass.lenient();
    leaveObexMode();
    co_return Result<ObexFolder>::of(folder);
}

QCoro::Task<Result<ObexFolder>> ObexSession::list(QStringList path, bool sizeQueryPending)
{
    QPointer<ObexSession> self(this);
    auto claim = m_link.claim(PhoneLink::Port::Modem);
    ConnectSession modes(m_link, ConnectMode::Obex, false);
    const Outcome entered = co_await modes.enterObexMode(false);
    if (!self)
        co_return Result<ObexFolder>::from(Outcome::cancelled());
    if (!entered.ok())
        co_return Result<ObexFolder>::from(entered);
    co_return co_await listInObexMode(path, sizeQueryPending);
}

} // namespace vandrel::link
