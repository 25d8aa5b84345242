#pragma once
// The entries of the phone's answer to AT+CMGL (stored messages) and AT+CMGR (one message)
// in PDU mode. The reply is framed by `replyLength` of atreply.h.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vandrel::at {

struct StoredMessage {
    int index = -1;  // storage index; -1 for +CMGR, which does not repeat it
    int state = -1;  // 0 received unread, 1 received read, 2 and 3 stored outgoing
    int length = -1; // TPDU octets as the phone counts them
    QString pdu;
    friend bool operator==(const StoredMessage &, const StoredMessage &) = default;
};

enum class MessageCommand { List, Read };

struct MessageList {
    QList<StoredMessage> messages;
    QStringList problems;    // entries that could not be read: a malformed entry line, no PDU
    QStringList unsolicited; // other "+" lines that arrived in between
};

// One complete reply. A reply ending in ERROR, +CMS ERROR or +CME ERROR is a failure that
// names that line.
Checked<MessageList> parseMessageList(const QByteArray &reply, MessageCommand command);

} // namespace vandrel::at
