#include "messagelist.h"

#include "atreply.h"

namespace vandrel::at {
namespace {

bool isHex(const QByteArray &text)
{
    for (const char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    return !text.isEmpty();
}

int number(const QByteArray &field)
{
    bool ok = false;
    const int v = field.trimmed().toInt(&ok);
    return ok && v >= 0 ? v : -1;
}

} // namespace

Checked<MessageList> parseMessageList(const QByteArray &reply, MessageCommand command)
{
    if (isFailure(finalOf(reply))) {
        QList<QByteArray> lines = reply.trimmed().split('\n');
        return Checked<MessageList>::failure(QString::fromLatin1(lines.last().trimmed()));
    }
    const QByteArray tag = command == MessageCommand::List ? "+CMGL:" : "+CMGR:";
    MessageList list;
    bool awaitingPdu = false;
    for (const QByteArray &line : informationLines(reply)) {
        if (awaitingPdu) {
            awaitingPdu = false;
            if (isHex(line)) {
                list.messages.last().pdu = QString::fromLatin1(line);
                continue;
            }
            list.problems.append(QStringLiteral("entry %1 has no PDU").arg(list.messages.last().index));
            list.messages.removeLast();
        }
        if (line.startsWith(tag)) {
            // +CMGL: index,state,[alpha],length   +CMGR: state,[alpha],length
            const QList<QByteArray> fields = line.mid(tag.size()).split(',');
            const bool listed = command == MessageCommand::List;
            StoredMessage m;
            if (fields.size() >= (listed ? 3 : 2)) {
                m.index = listed ? number(fields[0]) : -1;
                m.state = number(fields[listed ? 1 : 0]);
                m.length = number(fields.last());
            }
            if ((listed && m.index < 0) || m.state < 0 || m.length < 0) {
                list.problems.append(QStringLiteral("unreadable entry line \"%1\"").arg(QString::fromLatin1(line)));
                continue;
            }
            list.messages.append(m);
            awaitingPdu = true;
        } else if (line.startsWith('+')) {
            list.unsolicited.append(QString::fromLatin1(line));
        }
        // Anything else (the command's echo) carries nothing.
    }
    if (awaitingPdu) {
        list.problems.append(QStringLiteral("entry %1 has no PDU").arg(list.messages.last().index));
        list.messages.removeLast();
    }
    return list;
}

} // namespace vandrel::at
