#include "atreply.h"

namespace vandrel::at {

namespace {

QByteArray trimmedLine(QByteArrayView line)
{
    return line.trimmed().toByteArray();
}

Final classify(const QByteArray &line)
{
    if (line == "OK")
        return Final::Ok;
    if (line == "ERROR")
        return Final::Error;
    if (line.startsWith("+CMS ERROR") || line.startsWith("+CME ERROR"))
        return Final::DeviceError;
    if (line == "NO CARRIER" || line == "BUSY" || line == "NO ANSWER" || line == "NO DIALTONE")
        return Final::Other;
    return Final::None;
}

} // namespace

qsizetype replyLength(const QByteArray &buffer)
{
    qsizetype start = 0;
    for (;;) {
        const qsizetype lf = buffer.indexOf('\n', start);
        if (lf < 0)
            return 0;
        if (classify(trimmedLine(QByteArrayView(buffer).sliced(start, lf - start))) != Final::None)
            return lf + 1;
        start = lf + 1;
    }
}

Final finalOf(const QByteArray &reply)
{
    const QList<QByteArray> lines = reply.split('\n');
    for (auto it = lines.crbegin(); it != lines.crend(); ++it) {
        const QByteArray l = trimmedLine(*it);
        if (l.isEmpty())
            continue;
        return classify(l);
    }
    return Final::None;
}

QList<QByteArray> informationLines(const QByteArray &reply, const QByteArray &command)
{
    QList<QByteArray> out;
    for (const QByteArray &raw : reply.split('\n')) {
        const QByteArray l = trimmedLine(raw);
        if (l.isEmpty() || classify(l) != Final::None || (!command.isEmpty() && l == command))
            continue;
        out.append(l);
    }
    return out;
}

QList<QByteArray> takeNewMessageNotices(QByteArray &buffer)
{
    QList<QByteArray> notices;
    qsizetype at = 0;
    while ((at = buffer.indexOf("+CMTI:", at)) >= 0) {
        // Only a line of its own is a notice; the text inside another line is that line's.
        if (at > 0 && buffer.at(at - 1) != '\n' && buffer.at(at - 1) != '\r') {
            at += 6;
            continue;
        }
        const qsizetype lf = buffer.indexOf('\n', at);
        if (lf < 0)
            break; // not complete yet
        notices.append(trimmedLine(QByteArrayView(buffer).sliced(at, lf - at)));
        // The empty line the phone puts before the notice goes with it, but never the line
        // end of a reply line before it.
        qsizetype from = at;
        if (from >= 2 && buffer.at(from - 2) == '\r' && buffer.at(from - 1) == '\n'
            && (from == 2 || buffer.at(from - 3) == '\n' || buffer.at(from - 3) == '\r'))
            from -= 2;
        else if (from >= 1 && buffer.at(from - 1) == '\r' && (from == 1 || buffer.at(from - 2) == '\n'))
            from -= 1;
        buffer.remove(from, lf + 1 - from);
        at = from;
    }
    return notices;
}

std::optional<int> newMessageIndex(const QByteArray &notice)
{
    const qsizetype open = notice.indexOf('"');
    const qsizetype close = open < 0 ? -1 : notice.indexOf('"', open + 1);
    const qsizetype comma = close < 0 ? -1 : notice.indexOf(',', close);
    if (comma < 0)
        return std::nullopt;
    qsizetype i = comma + 1;
    while (i < notice.size() && notice.at(i) == ' ')
        ++i;
    int value = 0;
    int digits = 0;
    while (i < notice.size() && digits < 3 && notice.at(i) >= '0' && notice.at(i) <= '9') {
        value = value * 10 + (notice.at(i) - '0');
        ++i;
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return value;
}

} // namespace vandrel::at
