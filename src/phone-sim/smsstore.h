#pragma once
// The phone's message memory: numbered slots holding a state and a PDU (service centre
// included), kept in a text file of the phone's folder so that messages outlive a run.
//
// States are this phone's own numbering, as AT+CMGL and AT+CMGR report them.
#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <optional>

namespace vandrel::phonesim {

struct StoredMessage {
    enum State { ReceivedUnread = 0, ReceivedRead = 1, StoredSent = 2, StoredUnsent = 3 };
    static constexpr int AnyState = 4;

    int index = 0;
    int state = ReceivedUnread;
    QByteArray pdu; // uppercase hex
};

class SmsStore {
public:
    static constexpr int lastIndex = 999; // the client reads up to three digits

    // Loads `file` when it exists.
    explicit SmsStore(QString file);

    QString file() const { return m_file; }
    // In index order; StoredMessage::AnyState lists everything.
    QList<StoredMessage> list(int state) const;
    std::optional<StoredMessage> at(int index) const;
    int count() const { return int(m_slots.size()); }

    // The lowest free index, or -1 when the memory is full.
    int add(int state, const QByteArray &pdu);
    bool remove(int index);
    // Unread messages among these become read.
    void markRead(const QList<StoredMessage> &messages);
    // Fills a given slot without saving (seeding); save() writes the file.
    void put(int index, int state, const QByteArray &pdu);
    bool save() const;

private:
    struct Slot {
        int state;
        QByteArray pdu;
    };
    QString m_file;
    QMap<int, Slot> m_slots;
};

} // namespace vandrel::phonesim
