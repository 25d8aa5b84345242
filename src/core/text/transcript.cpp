#include "transcript.h"

namespace vandrel::text {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

QByteArray transcriptHeader()
{
    return QByteArrayLiteral("# vandrel transcript 1");
}

QByteArray formatTranscriptLine(const TranscriptEntry &entry)
{
    QByteArray line = QByteArray::number(entry.milliseconds);
    line += entry.port == TranscriptEntry::Port::Modem ? " modem " : " diag ";
    line += entry.direction == TranscriptEntry::Direction::ToPhone ? '>' : '<';
    if (!entry.bytes.isEmpty())
        line += ' ' + entry.bytes.toHex(' ').toUpper();
    return line;
}

std::optional<TranscriptEntry> parseTranscriptLine(QByteArrayView line)
{
    const QList<QByteArray> fields = line.toByteArray().simplified().split(' ');
    if (fields.size() < 3 || fields.first().startsWith('#'))
        return std::nullopt;
    TranscriptEntry e;
    bool ok = false;
    e.milliseconds = fields[0].toLongLong(&ok);
    if (!ok || e.milliseconds < 0)
        return std::nullopt;
    if (fields[1] == "modem")
        e.port = TranscriptEntry::Port::Modem;
    else if (fields[1] == "diag")
        e.port = TranscriptEntry::Port::Diag;
    else
        return std::nullopt;
    if (fields[2] == ">")
        e.direction = TranscriptEntry::Direction::ToPhone;
    else if (fields[2] == "<")
        e.direction = TranscriptEntry::Direction::FromPhone;
    else
        return std::nullopt;
    for (qsizetype i = 3; i < fields.size(); ++i) {
        const QByteArray &pair = fields[i];
        const int high = pair.size() == 2 ? hexDigit(pair[0]) : -1;
        const int low = pair.size() == 2 ? hexDigit(pair[1]) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        e.bytes += char(high << 4 | low);
    }
    return e;
}

QList<TranscriptEntry> parseTranscript(const QByteArray &text, int *badLines)
{
    QList<TranscriptEntry> entries;
    int bad = 0;
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        if (const auto e = parseTranscriptLine(line))
            entries += *e;
        else
            ++bad;
    }
    if (badLines)
        *badLines = bad;
    return entries;
}

TranscriptReplay::TranscriptReplay(const QList<TranscriptEntry> &entries, TranscriptEntry::Port port)
{
    // A run of writes is one request, the reads up to the next write its reply; bytes the
    // phone sent before the first request go out with the first reply.
    Step current;
    QByteArray leading;
    for (const TranscriptEntry &e : entries) {
        if (e.port != port)
            continue;
        if (e.direction == TranscriptEntry::Direction::ToPhone) {
            if (!current.reply.isEmpty()) {
                m_steps += current;
                current = Step();
            }
            current.request += e.bytes;
        } else if (current.request.isEmpty() && m_steps.isEmpty()) {
            leading += e.bytes;
        } else {
            current.reply += e.bytes;
        }
    }
    if (!current.request.isEmpty())
        m_steps += current;
    if (!m_steps.isEmpty())
        m_steps.first().reply.prepend(leading);
}

QByteArray TranscriptReplay::receive(QByteArrayView bytes)
{
    if (m_mismatch)
        return {};
    m_received += bytes;
    QByteArray out;
    while (!m_received.isEmpty()) {
        if (m_next >= m_steps.size()) {
            m_mismatch = true;
            break;
        }
        const Step &step = m_steps[m_next];
        const qsizetype n = qMin(step.request.size(), m_received.size());
        if (QByteArrayView(m_received).first(n) != QByteArrayView(step.request).first(n)) {
            m_mismatch = true;
            break;
        }
        if (n < step.request.size())
            break; // the rest of the request is still on its way
        m_received.remove(0, n);
        out += step.reply;
        ++m_next;
    }
    return out;
}

QByteArray TranscriptReplay::expected() const
{
    return m_next < m_steps.size() ? m_steps[m_next].request : QByteArray();
}

} // namespace vandrel::text
