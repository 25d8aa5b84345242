#pragma once
// The block schedules of BREW reads and writes: which request follows which reply.
#include "core/diag/checked.h"
#include "step.h"

#include <QByteArray>
#include <QString>

namespace vandrel::brew {

// Sequence numbers of read and write blocks run 1..255, then 1 again.
quint8 nextBlockSeq(quint8 seq);

// Writes one file: the first block, then one further block per acceptance until the whole file
// is sent; the acceptance that arrives when nothing is left ends the write. A file of 1 to 256
// bytes is followed by one block without data, as the phone expects.
class BrewWriter {
public:
    // The first block's payload; refused for a name the phone cannot carry.
    Checked<QByteArray> start(QStringView phoneName, QByteArray data);

    // One reply payload in: Send (the next block), Done, Refused or Ignored.
    Next onReply(QByteArrayView payload);

    qsizetype total() const { return m_total; }
    // Bytes the phone has been sent, as far as the write's progress counts them.
    qsizetype progress() const { return m_progress; }

private:
    QByteArray m_pending;
    qsizetype m_total = 0;
    qsizetype m_progress = 0;
    quint8 m_seq = 0;
};

// Reads one file block by block into memory.
class BrewReader {
public:
    Checked<QByteArray> start(QStringView phoneName);

    // Send (the next request), Done, Refused, Malformed or Ignored.
    Next onReply(QByteArrayView payload);

    qsizetype total() const { return m_total; }
    const QByteArray &data() const { return m_data; }

private:
    QByteArray m_data;
    qsizetype m_total = 0;
    quint8 m_seq = 0;
    bool m_started = false;
};

} // namespace vandrel::brew
