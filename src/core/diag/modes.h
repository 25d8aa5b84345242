#pragma once
// The phone's operating modes (diagnostic command 0x29): the requests, and what a mode reply
// means, both to a request in flight and when it arrives on its own.
#include <QByteArray>

namespace vandrel::diag {

enum class PhoneMode : quint8 {
    ResetRequest = 0x01,  // the first half of a reset; the phone's echo asks for the second
    Restart = 0x02,
    FactoryMode = 0x03,
    Online = 0x04,
    Offline = 0x05,
};

// 29, mode, 00.
QByteArray modeRequest(PhoneMode mode);

// A frame that arrives while a mode request waits: its echo, an error frame, or neither.
struct ModeReply {
    enum class Kind { Echo, Error, Other };
    Kind kind = Kind::Other;
    quint8 errorCode = 0;  // Error: 0x13, 0x14 or 0x15
};
ModeReply judgeModeReply(QByteArrayView payload);

// A mode reply nobody waits for.
enum class ModeReplyAction {
    None,
    Restart,      // 29 01 00: send 29 02 00, close the diagnostic port, disconnected
    BackToModem,  // any other mode reply in OBEX access: back to the modem port
};
ModeReplyAction modeReplyAction(QByteArrayView payload, bool obexAccess);

} // namespace vandrel::diag
