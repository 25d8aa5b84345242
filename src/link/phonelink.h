#pragma once
// The phone link: both serial ports, the exchange log, the diagnostic silence timer, the one
// way text is written to the modem port (sendCommand), and the fatal link error that ends a broken
// connection. Owned by the main window (or the command-line tool) for the whole run.
#include "channelnames.h"
#include "exchangelog.h"
#include "replyreader.h"
#include "result.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>

namespace vandrel::link {

// The intervals sessions wait with; tests shorten them.
struct Timing {
    std::chrono::milliseconds replyLimit{10000};   // any one awaited reply
    std::chrono::milliseconds escapePause{10};     // before every write on the modem port
    int openTries = 6;                             // opening a port while connecting
    std::chrono::milliseconds openRetry{2000};     // between those tries
    std::chrono::milliseconds obexPhaseLimit{20000}; // from the open port to the first listing
    std::chrono::milliseconds echoLimit{3000};     // the first "ATE1" before the stale-OBEX recovery
    std::chrono::milliseconds escapeGuard{1100};   // silence around "+++" when leaving stale OBEX mode
    std::chrono::milliseconds smsPromptLimit{5000};  // the "> " prompt after AT+CMGS
    std::chrono::milliseconds smsSendLimit{60000};   // "+CMGS: n": the network may take its time
};

class PhoneLink : public QObject {
    Q_OBJECT
public:
    enum class Port { Modem, Diag };

    // Takes ownership of the two channels.
    PhoneLink(SerialChannel *modem, SerialChannel *diag, QObject *parent = nullptr);
    ~PhoneLink() override;

    // Real ports with the buffer sizes of the phone's cable (65534 modem, 4096 diagnostic).
    static std::unique_ptr<PhoneLink> withSerialPorts(QObject *parent = nullptr);

    SerialChannel *modemPort() const { return m_modem; }
    SerialChannel *diagPort() const { return m_diag; }
    SerialChannel *channel(Port p) const { return p == Port::Modem ? m_modem : m_diag; }

    // The one reader of each port. A session claims the port while it talks on it; bytes that
    // arrive while nobody holds it go to idleData (the receive dispatcher).
    ReplyReader &reader(Port p) { return p == Port::Modem ? *m_modemReader : *m_diagReader; }
    class Claim {
    public:
        Claim() = default;
        Claim(PhoneLink *link, Port p);
        Claim(Claim &&other) noexcept;
        Claim &operator=(Claim &&other) noexcept;
        Claim(const Claim &) = delete;
        Claim &operator=(const Claim &) = delete;
        ~Claim();
        void release();

    private:
        QPointer<PhoneLink> m_link;
        Port m_port = Port::Modem;
    };
    [[nodiscard]] Claim claim(Port p) { return Claim(this, p); }
    bool isClaimed(Port p) const
    {
        return (p == Port::Modem ? m_modemReader : m_diagReader)->operationRunning();
    }

    // While the modem port is in AT command mode, new-message notices are taken out of its
    // bytes wherever they fall and reported through newMessageNotice.
    void setModemAtMode(bool at) { m_modemAtMode = at; }
    bool modemAtMode() const { return m_modemAtMode; }

    // "+++" on the modem port: the phone leaves OBEX mode and takes AT commands again.
    Outcome leaveObexMode();
    // "AT^SMSO": the phone switches itself off.
    QCoro::Task<Outcome> switchOff();

    // One AT command and its reply: sendCommand with a CR, then the reply up to its final code.
    QCoro::Task<Result<QByteArray>> atCommand(QByteArray command);
    QCoro::Task<Result<QByteArray>> atCommand(QByteArray command, std::chrono::milliseconds limit);

    ExchangeLog &log() { return m_log; }
    Timing &timing() { return m_timing; }

    // Runs while a BREW connect waits for the phone's first listing; every byte on the
    // diagnostic port starts it again. Stopped with the link.
    QTimer &diagSilenceTimer() { return m_diagSilenceTimer; }

    // Sends a command or prepared packet on the modem port: "+++" first when the text is
    // exactly "AT^SQWE=0", a short pause, the text, and a CR when asked. A closed port writes
    // nothing and is no failure.
    QCoro::Task<Outcome> sendCommand(QByteArray text, bool appendCR);
    // Writes a byte block of any length on the modem port.
    Outcome sendBytes(const QByteArray &block);
    // Writes on either port at once (no escape, no pause). A closed port is PortClosed.
    Outcome writeRaw(Port p, const QByteArray &bytes);

    // The window that runs the current work (a transfer window); the fatal link error stops
    // and closes it through `closeAsCancelled`. Forgotten when the object goes away.
    void registerWorkWindow(QObject *window, std::function<void()> closeAsCancelled);
    void unregisterWorkWindow(QObject *window);
    QObject *workWindow() const { return m_workWindow; }

    // The fatal link error: forgets the connection, closes the work window, stops the silence
    // timer and closes both ports, then reports `text` through
    // fatalError (the UI shows it and resets its connection indicators) once per connection.
    void fatalLinkError(const QString &text);
    // Handles a session's failure: link failures end in the fatal link error.
    void handleFailure(const Outcome &outcome);

    // Closes both ports (errors ignored).
    void closePorts();

    // An operation holds a port or waits on one.
    bool busy() const;
    // For an owner that goes away while operations still run on the link: the ports close,
    // the operations end on their next step, and the link deletes itself once they have.
    void deleteWhenIdle();

signals:
    void fatalError(const QString &text);
    void idleData(PhoneLink::Port port);
    void newMessageNotice(const QByteArray &notice);
    // The last operation holding the port ended.
    void portFree(PhoneLink::Port port);
    // A port's other end went away while no exchange was waiting on it.
    void portLost(PhoneLink::Port port, const QString &reason);

private:
    static Outcome portClosed();

    SerialChannel *m_modem;
    SerialChannel *m_diag;
    ReplyReader *m_modemReader;
    ReplyReader *m_diagReader;
    bool m_modemAtMode = true;
    ExchangeLog m_log;
    Timing m_timing;
    QTimer m_diagSilenceTimer;
    bool m_fatalReported = false;
    QPointer<QObject> m_workWindow;
    std::function<void()> m_closeWorkWindow;
};

} // namespace vandrel::link
