#include "queue.h"

#include "core/text/cp1250.h"

namespace vandrel::sms {
namespace {
const QString kOpen = QStringLiteral(" [");
const QString kClose = QStringLiteral("]: ");
} // namespace

QString queueLine(const QueuedMessage &m) { return m.number + kOpen + m.name + kClose + m.text; }

std::optional<QueuedMessage> parseQueueLine(const QString &line)
{
    const qsizetype open = line.indexOf(kOpen);
    if (open < 0)
        return std::nullopt;
    const qsizetype close = line.indexOf(kClose, open + kOpen.size());
    if (close < 0)
        return std::nullopt;
    return QueuedMessage{line.left(open), line.mid(open + kOpen.size(), close - open - kOpen.size()),
                         line.mid(close + kClose.size())};
}

Checked<QByteArray> writeQueueFile(const QList<QueuedMessage> &queue)
{
    using R = Checked<QByteArray>;
    QByteArray out;
    for (qsizetype i = 0; i < queue.size(); ++i) {
        const QueuedMessage &m = queue[i];
        const QString where = QStringLiteral("queued message %1 to %2").arg(i + 1).arg(m.number);
        if (m.text.contains(u'\r') || m.text.contains(u'\n') || m.name.contains(u'\r') || m.name.contains(u'\n')
            || m.number.contains(u'\r') || m.number.contains(u'\n'))
            return R::failure(where + QStringLiteral(": a line break would split it into two messages"));
        if (m.number.contains(kOpen) || m.name.contains(kClose))
            return R::failure(where + QStringLiteral(": the number or the name holds the separator of the queue line"));
        qsizetype bad = -1;
        const QString line = queueLine(m);
        const auto bytes = text::toCp1250(line, &bad);
        if (!bytes)
            return R::failure(where + QStringLiteral(": the character \"%1\" has no place in the Windows-1250 code page").arg(line.at(bad)));
        out += *bytes + "\r\n";
    }
    return out;
}

QList<QueuedMessage> readQueueFile(QByteArrayView file)
{
    QList<QueuedMessage> queue;
    for (QByteArray line : file.toByteArray().split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (const auto m = parseQueueLine(text::fromCp1250(line)))
            queue.append(*m);
    }
    return queue;
}

} // namespace vandrel::sms
