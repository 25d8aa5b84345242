#pragma once
// The phone's modem port: AT command mode with echo and CR LF framed result codes, the
// message commands, the switch into OBEX ("AT^SQWE=3") and back ("+++"), and OBEX packets
// framed by their length. Bytes in through feed(), replies out through the send function.
#include "obexserver.h"
#include "rules.h"
#include "smsservice.h"

#include <QByteArray>
#include <functional>

namespace vandrel::phonesim {

class ModemPort {
public:
    enum class Mode { At, Obex };

    struct Identity {
        QByteArray manufacturer = "Vandrel Mobile";
        QByteArray model = "VM-3210";
        QByteArray revision = "VM3210_R1.07.2";
        QByteArray serial = "356938035643809";
        QByteArray battery = "+CBC: 0,82";
        QByteArray signal = "+CSQ: 22,99";
        QByteArray oper = "+COPS: 0,0,\"Demo Net\"";
        QByteArray subscriber = "230019876543210";
        QByteArray cardId = "^SCID: 89420012345678901234";
    };

    // `rootDir` is the phone's folder (the OBEX memories and the message store live there).
    ModemPort(const QString &rootDir, RequestRules &rules, AnomalyLog &anomalies,
              std::function<void(const QByteArray &)> send, std::function<void()> goSilent);

    void feed(const QByteArray &bytes);

    Mode mode() const { return m_mode; }
    bool echo() const { return m_echo; }
    int switchOffs() const { return m_switchOffs; }
    ObexServer &obex() { return m_obex; }
    Identity &identity() { return m_identity; }
    SmsService &sms() { return m_sms; }
    // A line the phone sends on its own (a new-message notice), framed as the phone frames it.
    void sendUnsolicited(const QByteArray &line);
    // A message from the network: stored, and announced with +CMTI when AT+CNMI asked for it
    // and the line is free (not in OBEX mode, no message being typed). The indexes it took.
    QList<int> receiveMessage(const QString &from, const QString &text);
    // The cable was pulled: back to AT command mode, nothing half-received kept.
    void reset();

private:
    void feedAt();
    void feedObex();
    void command(QByteArray line);
    void result(const QByteArray &text, bool ok);
    bool silencedAt(const QString &request);

    RequestRules &m_rules;
    AnomalyLog &m_anomalies;
    std::function<void(const QByteArray &)> m_send;
    std::function<void()> m_goSilent;
    ObexServer m_obex;
    SmsService m_sms;
    Identity m_identity;
    Mode m_mode = Mode::At;
    bool m_echo = true;
    bool m_expectCr = false;
    QString m_lastPacket; // for anomaly texts
    int m_switchOffs = 0;
    QByteArray m_in;
};

} // namespace vandrel::phonesim
