#include "frame.h"

#include "crc.h"

namespace vandrel::diag {
namespace {

void appendEscaped(QByteArray &out, char b)
{
    if (b == kFlag || b == kEscape) {
        out.append(kEscape);
        out.append(char(b ^ 0x20));
    } else {
        out.append(b);
    }
}

} // namespace

QByteArray encodeDiagFrame(QByteArrayView payload)
{
    const quint16 crc = crc16x25(payload);
    QByteArray out;
    out.reserve(payload.size() + payload.size() / 8 + 5);
    for (const char b : payload)
        appendEscaped(out, b);
    appendEscaped(out, char(crc & 0xFF));
    appendEscaped(out, char(crc >> 8));
    out.append(kFlag);
    return out;
}

QByteArray UnescapeDiagFrame(QByteArrayView frame)
{
    QByteArray out;
    out.reserve(frame.size());
    for (qsizetype i = 0; i < frame.size(); ++i) {
        const char b = frame[i];
        if (b == kEscape && i + 1 < frame.size() && (frame[i + 1] == 0x5D || frame[i + 1] == 0x5E)) {
            out.append(char(frame[i + 1] ^ 0x20));
            ++i;
        } else {
            out.append(b);
        }
    }
    return out;
}

Checked<DiagFrame> decodeDiagFrame(QByteArrayView frame)
{
    if (frame.isEmpty() || frame.back() != kFlag)
        return Checked<DiagFrame>::failure(QStringLiteral("diagnostic frame without its closing flag"));
    const QByteArrayView body = frame.first(frame.size() - 1);
    if (body.contains(kFlag))
        return Checked<DiagFrame>::failure(QStringLiteral("diagnostic frame holds a flag byte inside"));
    if (!body.isEmpty() && body.back() == kEscape)
        return Checked<DiagFrame>::failure(QStringLiteral("diagnostic frame ends inside an escape"));
    const QByteArray plain = UnescapeDiagFrame(body);
    if (plain.size() < 2)
        return Checked<DiagFrame>::failure(QStringLiteral("diagnostic frame too short for its check value"));
    DiagFrame out;
    out.payload = plain.first(plain.size() - 2);
    const quint16 received = quint16(quint8(plain[plain.size() - 2]) | (quint8(plain[plain.size() - 1]) << 8));
    out.checkValid = received == crc16x25(out.payload);
    return out;
}

qsizetype diagFrameLength(const QByteArray &buffer)
{
    const qsizetype at = buffer.indexOf(kFlag);
    return at < 0 ? 0 : at + 1;
}

} // namespace vandrel::diag
