#include "crc.h"

namespace vandrel::diag {
namespace {

constexpr std::array<quint16, 256> makeTable()
{
    std::array<quint16, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned v = i;
        for (int bit = 0; bit < 8; ++bit)
            v = (v & 1U) ? (v >> 1) ^ 0x8408U : v >> 1;
        table[i] = quint16(v);
    }
    return table;
}

constexpr std::array<quint16, 256> kTable = makeTable();

} // namespace

const std::array<quint16, 256> &crcTable() { return kTable; }

quint16 crc16x25(QByteArrayView bytes)
{
    quint16 crc = 0xFFFF;
    for (const char b : bytes)
        crc = quint16(kTable[(crc ^ quint8(b)) & 0xFF] ^ (crc >> 8));
    return quint16(~crc);
}

} // namespace vandrel::diag
