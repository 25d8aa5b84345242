#include "transfer.h"

#include "replies.h"
#include "requests.h"

namespace vandrel::brew {

quint8 nextBlockSeq(quint8 seq) { return seq == 255 ? 1 : quint8(seq + 1); }

Checked<QByteArray> BrewWriter::start(QStringView phoneName, QByteArray data)
{
    m_total = data.size();
    if (quint64(m_total) > 0xFFFFFFFFULL)
        return Checked<QByteArray>::failure(QStringLiteral("the file is too large for the phone"));
    const qsizetype first = qMin(kBlockSize, m_total);
    auto payload = writeFirstRequest(phoneName, quint32(m_total), QByteArrayView(data).first(first));
    if (!payload)
        return payload;
    m_pending = data.sliced(first);
    m_progress = 0;
    m_seq = 0;
    return payload;
}

Next BrewWriter::onReply(QByteArrayView payload)
{
    if (isWriteRefused(payload))
        return {Step::Refused, {}, {}};
    if (!isWriteAccepted(payload))
        return {Step::Ignored, {}, {}};
    if (m_progress >= m_total)
        return {Step::Done, {}, {}};
    const qsizetype length = qMin(kBlockSize, m_pending.size());
    const bool more = m_pending.size() >= kBlockSize;
    m_seq = nextBlockSeq(m_seq);
    Next next{Step::Send, *writeNextRequest(m_seq, more, QByteArrayView(m_pending).first(length)), {}};
    m_pending.remove(0, length);
    m_progress = m_total - m_pending.size();
    return next;
}

Checked<QByteArray> BrewReader::start(QStringView phoneName)
{
    m_data.clear();
    m_total = 0;
    m_seq = 0;
    m_started = false;
    return readFirstRequest(phoneName);
}

Next BrewReader::onReply(QByteArrayView payload)
{
    if (isReadRefused(payload))
        return {Step::Refused, {}, {}};
    if (payload.size() < 2 || quint8(payload[0]) != kFileSystemCommand || quint8(payload[1]) != quint8(Op::Read))
        return {Step::Ignored, {}, {}};
    if (!m_started) {
        const auto first = parseReadFirst(payload);
        if (!first)
            return {Step::Malformed, {}, first.error()};
        m_total = first->totalLength;
        m_data = first->data;
        m_started = true;
    } else {
        const auto block = parseReadNext(payload);
        if (!block)
            return {Step::Malformed, {}, block.error()};
        if (block->isEmpty())
            return {Step::Malformed, {}, QStringLiteral("the phone sent an empty block before the end of the file")};
        if (m_data.size() + block->size() > m_total)
            return {Step::Malformed, {}, QStringLiteral("the phone sent more data than the file holds")};
        m_data.append(*block);
    }
    if (m_data.size() >= m_total)
        return {Step::Done, {}, {}};
    m_seq = nextBlockSeq(m_seq);
    return {Step::Send, readNextRequest(m_seq), {}};
}

} // namespace vandrel::brew
