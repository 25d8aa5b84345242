#include "result.h"

namespace vandrel::link {

QString describe(FailureKind kind)
{
    switch (kind) {
    case FailureKind::LinkLost: return QStringLiteral("link lost");
    case FailureKind::TimeOut: return QStringLiteral("no reply from the phone");
    case FailureKind::Refused: return QStringLiteral("refused by the phone");
    case FailureKind::PhoneError: return QStringLiteral("the phone answered ERROR");
    case FailureKind::Malformed: return QStringLiteral("malformed reply");
    case FailureKind::LocalFile: return QStringLiteral("file error");
    case FailureKind::NotFound: return QStringLiteral("not found");
    case FailureKind::Usage: return QStringLiteral("cannot be sent");
    case FailureKind::PortClosed: return QStringLiteral("the port was closed");
    case FailureKind::Busy: return QStringLiteral("the port is busy");
    }
    return {};
}

} // namespace vandrel::link
