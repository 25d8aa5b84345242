#pragma once
// The message commands of the modem port in PDU mode: AT+CMGF, AT+CSCA, AT+CNMI, listing,
// reading, deleting and sending stored messages, and messages arriving from the network.
// Bytes out through the send function; delayed answers through the scheduler.
#include "rules.h"
#include "smspdu.h"
#include "smsstore.h"

#include <QByteArray>
#include <QDateTime>
#include <functional>

namespace vandrel::phonesim {

// One message the phone accepted from AT+CMGS.
struct SentMessage {
    QByteArray pdu;            // as the client typed it
    int reference = 0;         // what "+CMGS:" answered
    sms::ParsedSubmit content; // number, text, concatenation as this phone reads them
};

class SmsService {
public:
    using Scheduler = std::function<void(int milliseconds, std::function<void()>)>;

    SmsService(const QString &storeFile, RequestRules &rules, AnomalyLog &anomalies,
               std::function<void(const QByteArray &)> send);

    // `command` is the line after "AT" in upper case, `typed` the same as typed (quoted
    // values keep their case). False when it is no message command.
    bool command(const QByteArray &command, const QByteArray &typed);

    // After AT+CMGS the port hands its input here until the message ends with Ctrl-Z or ESC.
    bool typing() const { return m_typing.active; }
    // Takes the bytes that belong to the message from the front of `in`.
    void feedTyped(QByteArray &in, bool echo);

    // A message from the network, stored as received unread in as many parts as it needs;
    // the indexes it took (fewer when the memory fills up).
    QList<int> receive(const QString &from, const QString &text, const QDateTime &time = QDateTime::currentDateTime());
    // AT+CNMI asked for +CMTI notices.
    bool indicationsOn() const { return m_indications; }

    SmsStore &store() { return m_store; }
    const QList<SentMessage> &sent() const { return m_sent; }
    QString serviceCentre() const { return m_centre; }

    // Runs a function later (the prompt and answer delays); without one it runs at once.
    void setScheduler(Scheduler scheduler) { m_later = std::move(scheduler); }
    // A new cable: no message half typed, no notices, no delayed answer still to come.
    void reset();

private:
    void answer(const QByteArray &information, bool ok);
    void cmsError(int code);
    void setCentre(const QByteArray &command, const QByteArray &typed);
    void list(const QByteArray &argument);
    void read(const QByteArray &argument);
    void remove(const QByteArray &argument);
    void startSend(const QByteArray &argument);
    void sendPrompt();
    void notePduBeforePrompt();
    void finishSend();
    void later(int milliseconds, std::function<void()> f);
    QByteArray entry(const QByteArray &tag, const StoredMessage &m, bool withIndex) const;

    struct Typing {
        bool active = false;
        int length = 0;
        bool promptSent = false;
        bool promptDue = false;
        bool early = false;
        QByteArray pdu;
    };

    RequestRules &m_rules;
    AnomalyLog &m_anomalies;
    std::function<void(const QByteArray &)> m_send;
    Scheduler m_later;
    SmsStore m_store;
    QList<SentMessage> m_sent;
    QString m_centre = QStringLiteral("+420603052000");
    Typing m_typing;
    bool m_indications = false;
    int m_nextReference = 1;
    int m_nextConcatReference = 0x60;
    quint64 m_generation = 0; // a delayed answer of an earlier cable is dropped
};

} // namespace vandrel::phonesim
