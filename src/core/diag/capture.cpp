#include "capture.h"

namespace vandrel::diag {

namespace {
const QByteArray kAckMark = QByteArrayLiteral("\x4B\x10\x01\x00\x00\x00\x00\x00");
}

QByteArray captureRequest()
{
    return kAckMark + QByteArrayLiteral("\x00\xFF\xFF\xFF\xFF\x00") + QByteArray(kCaptureFileName) + QByteArray(1, '\0');
}

bool isCaptureAcknowledgement(QByteArrayView payload)
{
    return !payload.isEmpty() && quint8(payload[0]) == 0x4B && payload.indexOf(kAckMark) >= 0;
}

QString capturePictureName(const QString &folder, const QDateTime &when)
{
    QString name = folder + when.toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char('_')
                   + when.toString(QStringLiteral("hh:mm:ss")) + QStringLiteral(".bmp");
    // A drive letter's colon ("c:") sits before the fourth character and stays.
    for (qsizetype i = 3; i < name.size(); ++i)
        if (name[i] == QLatin1Char(':'))
            name[i] = QLatin1Char('.');
    return name;
}

} // namespace vandrel::diag
