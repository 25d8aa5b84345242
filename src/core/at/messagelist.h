#pragma once
// The phone's answer to AT+CMGL (a list of stored messages) and AT+CMGR (one message), in
// PDU mode, collected line by line however the port splits the bytes.
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

class MessageListParser {
public:
    enum class Command { List, Read };
    explicit MessageListParser(Command command = Command::List) : m_command(command) {}

    // Takes bytes up to and including the final result line and returns how many it took;
    // whatever follows the final result belongs to the caller and is left alone.
    qsizetype feed(QByteArrayView bytes);

    bool finished() const { return m_finished; }
    // The phone answered ERROR, +CMS ERROR or +CME ERROR; `error()` holds that line.
    bool failed() const { return m_finished && !m_error.isEmpty(); }
    const QString &error() const { return m_error; }

    const QList<StoredMessage> &messages() const { return m_messages; }
    // Entries that could not be read (a malformed entry line, an entry without its PDU).
    const QStringList &problems() const { return m_problems; }
    // Other "+" lines that arrived in between, such as a new-message notice.
    const QStringList &unsolicited() const { return m_unsolicited; }

private:
    void line(const QString &text);

    Command m_command;
    QByteArray m_partial;
    bool m_finished = false;
    bool m_awaitingPdu = false;
    QString m_error;
    QList<StoredMessage> m_messages;
    QStringList m_problems;
    QStringList m_unsolicited;
};

} // namespace vandrel::at
