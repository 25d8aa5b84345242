#include "pass.h"

#include "listing.h"

namespace vandrel::obex {
namespace {
constexpr quint8 kContinue = 0x90;
constexpr quint8 kSuccess = 0xA0;
constexpr quint8 kForbidden = 0xC3;
constexpr quint8 kNotFound = 0xC4;

QString codeText(quint8 code) { return QStringLiteral("0x%1").arg(code, 2, 16, QLatin1Char('0')); }
} // namespace

std::optional<MemoryRoot> memoryRootOf(const QStringList &path)
{
    if (path.isEmpty())
        return std::nullopt;
    if (path.first() == QLatin1String("mmc"))
        return MemoryRoot::Mmc;
    if (path.first() == QLatin1String("user"))
        return MemoryRoot::User;
    return std::nullopt;
}

Next Connector::start()
{
    return {Step::Send, connectRequest() + '\r', {}};
}

Next Connector::onReply(QByteArrayView reply)
{
    QByteArrayView packet;
    if (const auto line = judgeLine(reply, packet))
        return *line;
    const Reply r = classifyReply(packet, m_acceptance);
    if (r.kind == ReplyKind::ConnectAccepted)
        return {Step::Done, {}, {}};
    return {Step::Refused, {}, codeText(r.code)};
}

Next PathWalker::start(QStringList names)
{
    m_names = std::move(names);
    m_at = 0;
    return request();
}

Next PathWalker::request()
{
    if (m_at >= m_names.size())
        return {Step::Done, {}, {}};
    return sendOrInvalid(enterFolderRequest(m_names.at(m_at)));
}

Next PathWalker::onReply(QByteArrayView reply)
{
    QByteArrayView packet;
    if (const auto line = judgeLine(reply, packet))
        return *line;
    switch (classifyReply(packet, m_acceptance).kind) {
    case ReplyKind::Success:
        ++m_at;
        return request();
    case ReplyKind::NotFound:
    case ReplyKind::Forbidden:
        return {Step::NotFound, {}, {}};
    default:
        return {Step::Malformed, {}, QStringLiteral("the phone gave no answer a set-path request can have")};
    }
}

Next MemoryQuery::start(MemoryRoot root)
{
    m_root = root;
    m_asked = 2;
    m_sizes = {};
    m_sizes.queried = true;
    return {Step::Send, memoryQuery(root, 2), {}};
}

Next MemoryQuery::onReply(QByteArrayView reply)
{
    QByteArrayView packet;
    if (const auto line = judgeLine(reply, packet))
        return *line;
    const Reply r = classifyReply(packet, Acceptance::Explorer);
    if (r.kind != ReplyKind::MemorySize)
        return {Step::Malformed, {}, QStringLiteral("the phone sent no memory size")};
    if (m_asked == 2) {
        m_sizes.freeSpace = r.memorySize;
        m_asked = 1;
        return {Step::Send, memoryQuery(m_root, 1), {}};
    }
    m_sizes.second = r.memorySize;
    return {Step::Done, {}, {}};
}

Next FolderLister::start()
{
    m_body.clear();
    m_entries.clear();
    m_lenient = false;
    return {Step::Send, folderListingRequest() + '\r', {}};
}

Next FolderLister::onReply(QByteArrayView reply)
{
    QByteArrayView packet;
    if (const auto line = judgeLine(reply, packet))
        return *line;
    const auto parsed = parsePacket(packet);
    if (!parsed)
        return {Step::Malformed, {}, parsed.error()};
    const quint8 code = parsed->code;
    if (code == kNotFound || code == kForbidden)
        return {Step::NotFound, {}, {}};
    m_body += parsed->body();
    if (code == kContinue)
        return {Step::Send, listingContinuationRequest(), {}};
    if (code != kSuccess)
        return {Step::Refused, {}, codeText(code)};
    const auto listing = parseFolderListing(m_body);
    if (!listing)
        return {Step::Malformed, {}, listing.error()};
    m_entries = listing->entries;
    m_lenient = listing->lenient;
    return {Step::Done, {}, {}};
}

Pass::Pass(Acceptance acceptance) : m_connector(acceptance), m_walker(acceptance) {}

Next Pass::start(PassPlan plan)
{
    m_plan = std::move(plan);
    m_phase = Phase::Connect;
    if (m_plan.connect)
        return m_connector.start();
    return after(Phase::Connect);
}

Next Pass::after(Phase done)
{
    Next next{Step::Done, {}, {}};
    if (done == Phase::Connect) {
        m_phase = Phase::Walk;
        next = m_walker.start(m_plan.path);
        if (next.step != Step::Done)
            return next;
    }
    if (done <= Phase::Walk && m_plan.memory) {
        m_phase = Phase::Memory;
        return m_memory.start(*m_plan.memory);
    }
    if (done <= Phase::Memory && m_plan.listing) {
        m_phase = Phase::Listing;
        return m_lister.start();
    }
    m_phase = Phase::Finished;
    return next;
}

Next Pass::onReply(QByteArrayView reply)
{
    Next next;
    switch (m_phase) {
    case Phase::Connect:
        next = m_connector.onReply(reply);
        break;
    case Phase::Walk:
        next = m_walker.onReply(reply);
        break;
    case Phase::Memory:
        next = m_memory.onReply(reply);
        break;
    case Phase::Listing:
        next = m_lister.onReply(reply);
        break;
    case Phase::Finished:
        return {Step::Ignored, {}, {}};
    }
    return next.step == Step::Done ? after(m_phase) : next;
}

} // namespace vandrel::obex
