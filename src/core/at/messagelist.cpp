#include "messagelist.h"

namespace vandrel::at {
namespace {

bool isFinalError(const QString &line)
{
    return line == QLatin1String("ERROR") || line.startsWith(QLatin1String("+CMS ERROR"))
           || line.startsWith(QLatin1String("+CME ERROR"));
}

bool isHex(const QString &text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text)
        if (!c.isDigit() && !(c >= u'A' && c <= u'F') && !(c >= u'a' && c <= u'f'))
            return false;
    return true;
}

int number(const QString &field)
{
    bool ok = false;
    const int v = field.trimmed().toInt(&ok);
    return ok && v >= 0 ? v : -1;
}

} // namespace

qsizetype MessageListParser::feed(QByteArrayView bytes)
{
    qsizetype used = 0;
    while (!m_finished && used < bytes.size()) {
        const char b = bytes[used++];
        if (b != '\n') {
            m_partial.append(b);
            continue;
        }
        QByteArray l = m_partial;
        m_partial.clear();
        while (l.endsWith('\r'))
            l.chop(1);
        line(QString::fromLatin1(l).trimmed());
    }
    return used;
}

void MessageListParser::line(const QString &text)
{
    if (text.isEmpty())
        return;
    if (m_awaitingPdu) {
        m_awaitingPdu = false;
        if (isHex(text)) {
            m_messages.last().pdu = text;
            return;
        }
        m_problems.append(QStringLiteral("entry %1 has no PDU").arg(m_messages.last().index));
        m_messages.removeLast();
    }
    if (text == QLatin1String("OK")) {
        m_finished = true;
        return;
    }
    if (isFinalError(text)) {
        m_finished = true;
        m_error = text;
        return;
    }
    const QLatin1String tag = m_command == Command::List ? QLatin1String("+CMGL:") : QLatin1String("+CMGR:");
    if (text.startsWith(tag)) {
        // +CMGL: index,state,[alpha],length   +CMGR: state,[alpha],length
        const QStringList fields = text.mid(tag.size()).split(u',');
        StoredMessage m;
        const int minimum = m_command == Command::List ? 3 : 2;
        if (fields.size() >= minimum) {
            int k = 0;
            if (m_command == Command::List)
                m.index = number(fields[k++]);
            m.state = number(fields[k]);
            m.length = number(fields.last());
        }
        if (fields.size() < minimum || (m_command == Command::List && m.index < 0) || m.state < 0 || m.length < 0) {
            m_problems.append(QStringLiteral("unreadable entry line \"%1\"").arg(text));
            return;
        }
        m_messages.append(m);
        m_awaitingPdu = true;
        return;
    }
    if (text.startsWith(u'+'))
        m_unsolicited.append(text);
    // Anything else (the command's echo) carries nothing.
}

} // namespace vandrel::at
