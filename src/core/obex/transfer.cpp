#include "transfer.h"

namespace vandrel::obex {
namespace {
constexpr quint8 kContinue = 0x90;
constexpr quint8 kSuccess = 0xA0;
constexpr quint8 kLength = 0xC3;

quint32 readU32(QByteArrayView b)
{
    return (quint32(quint8(b[0])) << 24) | (quint32(quint8(b[1])) << 16) | (quint32(quint8(b[2])) << 8)
        | quint32(quint8(b[3]));
}

Next done() { return {Step::Done, {}, {}}; }
} // namespace

Next Download::start(QStringView name)
{
    m_name = name.toString();
    m_data.clear();
    m_begun = false;
    m_expected = -1;
    m_received = 0;
    return sendOrInvalid(getFileRequest(name));
}

Next Download::onReply(QByteArrayView reply)
{
    QByteArrayView packet;
    if (const auto line = judgeLine(reply, packet))
        return *line;
    m_data.clear();
    const auto parsed = parsePacket(packet);
    if (!parsed)
        return {Step::Malformed, {}, parsed.error()};
    const bool more = parsed->code == kContinue;
    if (!more && parsed->code != kSuccess)
        return refusal(packet, m_acceptance);
    if (!m_begun) {
        m_begun = true;
        if (const Header *length = parsed->find(kLength); length && length->value.size() == 4)
            m_expected = readU32(length->value);
    }
    m_data = parsed->body();
    m_received += m_data.size();
    if (m_expected >= 0 && m_received > m_expected)
        return {Step::Malformed, {}, QStringLiteral("The phone sent more of %1 than it announced.").arg(m_name)};
    if (more)
        return {Step::Send, listingContinuationRequest(), {}};
    if (m_expected >= 0 && m_received != m_expected)
        return {Step::Malformed, {},
                QStringLiteral("The phone sent %1 of the %2 bytes of %3.").arg(m_received).arg(m_expected).arg(m_name)};
    return done();
}

Next Upload::start(QStringView fileName, quint32 size, const QDateTime &now, QStringList folder, bool replacing)
{
    m_name = fileName.toString();
    m_size = size;
    m_now = now;
    m_folder = std::move(folder);
    m_replacing = replacing;
    m_stage = Stage::Data;
    m_packed = 0;
    m_accepted = 0;
    m_final = false;
    return {Step::NeedData, {}, {}};
}

qsizetype Upload::dataWanted() const
{
    return qsizetype(qMin<qint64>(kMaxUploadChunk, qint64(m_size) - m_packed));
}

Next Upload::supply(QByteArrayView chunk)
{
    if (m_stage != Stage::Data || m_final || m_packed > m_accepted || chunk.size() != dataWanted())
        return {Step::Invalid, {}, QStringLiteral("an upload packet carries the next %1 bytes of the file").arg(dataWanted())};
    const bool first = m_packed == 0;
    const bool final = m_packed + chunk.size() >= qint64(m_size);
    const auto packet = first ? firstUploadPacket(m_name, m_size, m_now, chunk, final) : nextUploadPacket(chunk, final);
    if (!packet)
        return {Step::Invalid, {}, packet.error()};
    m_packed += chunk.size();
    m_final = final;
    return {Step::Send, *packet, {}};
}

Next Upload::stageRequest(Stage stage)
{
    m_stage = stage;
    switch (stage) {
    case Stage::Attributes:
        return sendOrInvalid(setAttributesRequest(m_name));
    case Stage::DeleteOld:
        return sendOrInvalid(deleteRequest(m_name));
    case Stage::Move:
        return sendOrInvalid(finishUploadRequest(m_folder, m_name));
    case Stage::Data:
    case Stage::Finished:
        break;
    }
    return done();
}

Next Upload::onReply(QByteArrayView reply)
{
    QByteArrayView packet;
    if (const auto line = judgeLine(reply, packet))
        return *line;
    const ReplyKind kind = classifyReply(packet, m_acceptance).kind;
    switch (m_stage) {
    case Stage::Data:
        if (kind != (m_final ? ReplyKind::Success : ReplyKind::Continue))
            return refusal(packet, m_acceptance);
        m_accepted = m_packed;
        if (!m_final)
            return {Step::NeedData, {}, {}};
        return stageRequest(Stage::Attributes);
    case Stage::Attributes:
        if (kind != ReplyKind::Success)
            return refusal(packet, m_acceptance);
        return stageRequest(m_replacing ? Stage::DeleteOld : Stage::Move);
    case Stage::DeleteOld:
        // An old file that is gone already is as good as deleted.
        if (kind != ReplyKind::Success && kind != ReplyKind::NotFound)
            return refusal(packet, m_acceptance);
        return stageRequest(Stage::Move);
    case Stage::Move:
        if (kind != ReplyKind::Success)
            return refusal(packet, m_acceptance);
        return stageRequest(Stage::Finished);
    case Stage::Finished:
        break;
    }
    return {Step::Ignored, {}, {}};
}

Next Command::remove(QStringView name) { return sendOrInvalid(deleteRequest(name)); }

Next Command::rename(const QStringList &folder, QStringView oldName, QStringView newName)
{
    return sendOrInvalid(moveRequest(folder, oldName, newName));
}

Next Command::createFolder(QStringView name) { return sendOrInvalid(createFolderRequest(name)); }
Next Command::enterFolder(QStringView name) { return sendOrInvalid(enterFolderRequest(name)); }
Next Command::folderUp() { return {Step::Send, folderUpRequest(), {}}; }

Next Command::onReply(QByteArrayView reply) const
{
    QByteArrayView packet;
    if (const auto line = judgeLine(reply, packet))
        return *line;
    if (classifyReply(packet, m_acceptance).kind == ReplyKind::Success)
        return done();
    return refusal(packet, m_acceptance);
}

} // namespace vandrel::obex
