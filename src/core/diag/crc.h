#pragma once
// CRC-16/X-25, the check value of diagnostic frames.
#include <QByteArrayView>
#include <array>
#include <cstdint>

namespace vandrel::diag {

// The 256 values of the reflected polynomial 0x8408.
const std::array<quint16, 256> &crcTable();

// Initial 0xFFFF, reflected, complemented at the end: "123456789" gives 0x906E.
quint16 crc16x25(QByteArrayView bytes);

} // namespace vandrel::diag
