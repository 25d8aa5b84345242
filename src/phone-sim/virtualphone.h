#pragma once
// The virtual phone: the two ports of the real cable, either on pseudo-terminals (for the
// desktop program and the command-line tool) or in-process on a pair of connected channels
// (for fast tests), backed by folders on disk and seeded with demo content.
//
//     VirtualPhone phone(rootDir);
//     auto ends = phone.plugInProcess(this);    // client-side channels
//     phone.controls().splitRandomly(7);
//     ... talk to ends.modem / ends.diag ...
//     QVERIFY2(phone.anomalies().isEmpty(), ...);
#include "controls.h"
#include "modemport.h"
#include "portoutput.h"
#include "rules.h"
#include "seed.h"

#include <channel/fakeserialchannel.h>
#include <channel/serialchannel.h>

#include <QObject>
#include <QPointer>
#include <memory>

namespace vandrel::phonesim {

class DiagPort;

class VirtualPhone : public QObject {
    Q_OBJECT
public:
    // Creates and seeds `rootDir` when it is missing or empty.
    explicit VirtualPhone(const QString &rootDir, QObject *parent = nullptr);
    VirtualPhone(const QString &rootDir, const SeedOptions &seed, QObject *parent = nullptr);
    ~VirtualPhone() override;

    bool seeded() const { return m_seeded; }
    QString root() const { return m_root; }
    QString obexRoot() const;
    QString brewRoot() const;

    // Serves the phone's ends of two channels (opened here when closed).
    void attach(channel::SerialChannel *modem, channel::SerialChannel *diag);

    struct ClientEnds {
        channel::FakeSerialChannel *modem = nullptr;
        channel::FakeSerialChannel *diag = nullptr;
    };
    // Makes two connected channel pairs, serves the phone's ends and returns the client's
    // ends (closed, parented to `owner`; the caller opens them or hands them to a PhoneLink).
    // Calling it again after a dropped link plugs a new cable in.
    ClientEnds plugInProcess(QObject *owner = nullptr);

    // Makes two pseudo-terminals and, once the phone can answer, the two links to them.
    // After a dropped link the cable is plugged in again after `replugMs` (negative: never).
    bool servePtys(const QString &modemLink, const QString &diagLink, QString *error, int replugMs = 1000);

    Controls &controls() { return m_controls; }
    QStringList anomalies() const { return m_anomalies.lines(); }
    void clearAnomalies() { m_anomalies.clear(); }
    AnomalyLog &anomalyLog() { return m_anomalies; }

    ModemPort &modem() { return *m_modem; }
    DiagPort *diag() { return m_diag.get(); }
    PortOutput &modemOutput() { return m_modemOut; }
    PortOutput &diagOutput() { return m_diagOut; }

    // A line the phone sends on its own on the modem port, e.g. "+CMTI: \"SM\",3".
    void sendUnsolicited(const QByteArray &line);

    // Messages. A message from the network: stored as received unread (in as many parts as
    // it needs) and announced with +CMTI when the client switched notices on; the indexes.
    QList<int> receiveMessage(const QString &from, const QString &text) { return m_modem->receiveMessage(from, text); }
    // What the phone accepted from AT+CMGS, in order (pdu, reference, the content as read here).
    const QList<SentMessage> &sentMessages() const { return m_modem->sms().sent(); }
    SmsStore &messageStore() { return m_modem->sms().store(); }

    // Copies the folder with the group, e-mail account and profile files to `destination`
    // (made when missing), for the tab that reads them from the computer.
    bool exportDatabaseFolder(const QString &destination) const;

signals:
    void linkDropped(int port); // Controls::Port

private:
    void wire(channel::SerialChannel *serial, PortOutput &out, int port);
    void dropped(int port);
    bool linkPty(int port, QString *error);

    QString m_root;
    bool m_seeded = false;
    RequestRules m_rules;
    AnomalyLog m_anomalies;
    PortOutput m_modemOut;
    PortOutput m_diagOut;
    Controls m_controls;
    std::unique_ptr<ModemPort> m_modem;
    std::unique_ptr<DiagPort> m_diag;
    QPointer<channel::SerialChannel> m_modemChannel;
    QPointer<channel::SerialChannel> m_diagChannel;
    QString m_modemLink;
    QString m_diagLink;
    int m_replugMs = -1;
};

} // namespace vandrel::phonesim
