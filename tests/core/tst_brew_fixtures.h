#pragma once
// Replies of the BREW file system as the phone lays them out.
#include <QByteArray>

namespace brewfixture {

// A listing entry: sequence at 3, size at 15-18, name length at 24, the name from 25.
inline QByteArray entryReply(quint8 op, quint8 seq, quint32 size, const QByteArray &name)
{
    QByteArray p(25, '\0');
    p[0] = char(0x59);
    p[1] = char(op);
    p[3] = char(seq);
    for (int i = 0; i < 4; ++i)
        p[15 + i] = char((size >> (8 * i)) & 0xFF);
    p[24] = char(name.size());
    return p + name;
}

} // namespace brewfixture
