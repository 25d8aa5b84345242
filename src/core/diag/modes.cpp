#include "modes.h"

namespace vandrel::diag {
namespace {
constexpr quint8 kModeCommand = 0x29;
}

QByteArray modeRequest(PhoneMode mode)
{
    QByteArray p;
    p.append(char(kModeCommand));
    p.append(char(mode));
    p.append('\0');
    return p;
}

ModeReply judgeModeReply(QByteArrayView payload)
{
    if (payload.isEmpty())
        return {};
    const quint8 code = quint8(payload[0]);
    if (code == kModeCommand)
        return {ModeReply::Kind::Echo, 0};
    if (code >= 0x13 && code <= 0x15)
        return {ModeReply::Kind::Error, code};
    return {};
}

ModeReplyAction modeReplyAction(QByteArrayView payload, bool obexAccess)
{
    if (payload.isEmpty() || quint8(payload[0]) != kModeCommand)
        return ModeReplyAction::None;
    if (payload == QByteArrayView(modeRequest(PhoneMode::ResetRequest)))
        return ModeReplyAction::Restart;
    return obexAccess ? ModeReplyAction::BackToModem : ModeReplyAction::None;
}

} // namespace vandrel::diag
