#pragma once
// Connecting: open the port (a few tries), then bring the phone into the mode the visible tab
// needs: echo mode only, or the whole way into OBEX with the first listing, or nothing on the
// diagnostic port. Written once, driven by the connecting window and the command line alike.
#include "phonelink.h"

#include <QCoroTask>
#include <QDeadlineTimer>
#include <QObject>
#include <QStringList>

namespace vandrel::link {

enum class ConnectMode {
    AtOnly,   // tabs other than the explorer and address book: "ATE1", done
    Obex,     // the explorer in OBEX access
    DiagOnly, // the address book (and the calendar): open the diagnostic port, send nothing
};

class ConnectSession : public QObject {
    Q_OBJECT
public:
    ConnectSession(PhoneLink &link, ConnectMode mode, bool readSMS, QObject *parent = nullptr);

    PhoneLink::Port port() const
    {
        return m_mode == ConnectMode::DiagOnly ? PhoneLink::Port::Diag : PhoneLink::Port::Modem;
    }

    // Opens the port: up to `Timing::openTries` tries, `Timing::openRetry` apart. Failures count
    // for this attempt only. The last open error is kept for the message.
    QCoro::Task<Outcome> openPort();

    // Echo mode ("ATE1"), recovering once from a phone left in OBEX mode by an earlier session
    // that ended abruptly ("+++" after a guard time, then "ATE1" again); then, with `readSMS`,
    // new-message notices on ("AT+CNMI=1,1,0,2"). Logs each step.
    QCoro::Task<Outcome> echoAndNotices();

    // "AT^SQWE=0" (with its "+++") and "AT^SQWE=3": the phone in OBEX mode. Logs each step when
    // `logSteps` (the connecting sequence); listings later re-enter OBEX without log lines.
    QCoro::Task<Outcome> enterObexMode(bool logSteps);

    // Until the port is open and, for the AT-only mode, "ATE1" is written.
    QCoro::Task<Outcome> connectWithoutObex();

    const OpenError &lastOpenError() const { return m_openError; }

    // Ends the connecting at the next step (the user closed the connecting window).
    void cancel();
    bool isCancelled() const { return m_cancelled; }

    // Every wait ends by `deadline` at the latest (the limit of the OBEX phase).
    void setDeadline(QDeadlineTimer deadline) { m_deadline = deadline; }

signals:
    void openTry(int attempt);

private:
    QCoro::Task<Result<QByteArray>> expectOk(QByteArray command, std::chrono::milliseconds limit);

    PhoneLink &m_link;
    ConnectMode m_mode;
    bool m_readSMS;
    OpenError m_openError;
    bool m_cancelled = false;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
};

} // namespace vandrel::link
