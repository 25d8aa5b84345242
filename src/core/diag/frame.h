#pragma once
// Diagnostic frames on the wire: escaped payload, escaped check value (low byte first), 0x7E.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QList>

namespace vandrel::diag {

constexpr char kFlag = 0x7E;
constexpr char kEscape = 0x7D;

// The bytes SendDiagFrame writes for a payload. Escaping carries every 0x7D and 0x7E.
QByteArray encodeDiagFrame(QByteArrayView payload);

// Undoes the escaping (7D 5D -> 7D, 7D 5E -> 7E; any other 7D stays); check value and flag stay.
QByteArray UnescapeDiagFrame(QByteArrayView frame);

struct DiagFrame {
    QByteArray payload;     // unescaped, without check value and flag
    bool checkValid = false;
};

// A whole received frame (up to and including its flag) -> payload; malformed when there is
// no flag at the end, no room for the check value, or an escape byte cut off.
Checked<DiagFrame> decodeDiagFrame(QByteArrayView frame);

// Framer for reply readers: length of the complete frame at the start of `buffer` (up to and
// including the first 0x7E), 0 while incomplete.
qsizetype diagFrameLength(const QByteArray &buffer);

} // namespace vandrel::diag
