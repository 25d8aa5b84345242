#include "queue.h"

#include "core/text/cp1250.h"

#include <QStringDecoder>

namespace vandrel::sms {
namespace {
const QString kOpen = QStringLiteral(" [");
const QString kClose = QStringLiteral("]: ");
const QByteArray kMark = "\xEF\xBB\xBF";

QString escaped(const QString &value, bool brackets)
{
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c == u'\\')
            out += QStringLiteral("\\\\");
        else if (c == u'\n')
            out += QStringLiteral("\\n");
        else if (c == u'\r')
            out += QStringLiteral("\\r");
        else if (brackets && (c == u'[' || c == u']'))
            out += u'\\' + c;
        else
            out += c;
    }
    return out;
}

// Reads `line` from `at` up to the unescaped `end` (the rest of the line when `end` is empty).
std::optional<QString> unescapedUntil(const QString &line, qsizetype *at, const QString &end)
{
    QString out;
    qsizetype i = *at;
    while (i < line.size()) {
        if (!end.isEmpty() && QStringView(line).sliced(i).startsWith(end)) {
            *at = i + end.size();
            return out;
        }
        QChar c = line[i++];
        if (c == u'\\' && i < line.size()) {
            c = line[i++];
            if (c == u'n')
                c = u'\n';
            else if (c == u'r')
                c = u'\r';
        }
        out += c;
    }
    *at = i;
    if (!end.isEmpty())
        return std::nullopt;
    return out;
}

std::optional<QueuedMessage> parseEscapedLine(const QString &line)
{
    qsizetype at = 0;
    const auto number = unescapedUntil(line, &at, kOpen);
    const auto name = number ? unescapedUntil(line, &at, kClose) : std::nullopt;
    if (!name)
        return std::nullopt;
    return QueuedMessage{*number, *name, *unescapedUntil(line, &at, {})};
}

QString decodeOldFile(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? text::fromCp1250(bytes) : text;
}

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

QByteArray writeQueueFile(const QList<QueuedMessage> &queue)
{
    QByteArray out = kMark;
    for (const QueuedMessage &m : queue)
        out += (escaped(m.number, true) + kOpen + escaped(m.name, true) + kClose + escaped(m.text, false)).toUtf8() + "\r\n";
    return out;
}

QList<QueuedMessage> readQueueFile(QByteArrayView file)
{
    const bool escapes = file.startsWith(kMark);
    const QString text = escapes ? QString::fromUtf8(file.sliced(kMark.size())) : decodeOldFile(file);
    QList<QueuedMessage> queue;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (const auto m = escapes ? parseEscapedLine(line) : parseQueueLine(line))
            queue.append(*m);
    }
    return queue;
}

} // namespace vandrel::sms
