#include "step.h"

namespace vandrel::obex {

std::optional<Next> judgeLine(QByteArrayView reply, QByteArrayView &packet)
{
    const QByteArrayView content = replyContent(reply);
    if (!content.isEmpty() && quint8(content[0]) >= 0x80) {
        packet = content;
        return std::nullopt;
    }
    if (content.contains(QByteArrayView("ERROR")))
        return Next{Step::PhoneError, {}, {}};
    return Next{Step::Ignored, {}, {}};
}

Next refusal(QByteArrayView packet, Acceptance acceptance)
{
    const Reply r = classifyReply(packet, acceptance);
    if (r.kind == ReplyKind::NotFound)
        return {Step::NotFound, {}, {}};
    if (r.kind == ReplyKind::Forbidden)
        return {Step::Refused, {}, {}};
    return {Step::Refused, {}, QStringLiteral("0x%1").arg(r.code, 2, 16, QLatin1Char('0'))};
}

Next sendOrInvalid(const Checked<QByteArray> &bytes)
{
    if (!bytes)
        return {Step::Invalid, {}, bytes.error()};
    return {Step::Send, *bytes, {}};
}

} // namespace vandrel::obex
