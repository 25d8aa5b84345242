#pragma once
// What the test controls ask of the phone's request handling, and the anomaly log: every
// request that breaks the layouts the client is meant to send.
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

namespace vandrel::phonesim {

struct RequestRules {
    // AT commands (upper case, as typed after "AT", e.g. "+CGMI") answered with ERROR.
    QSet<QString> errorCommands;
    // Request names (see VirtualPhone::requestNames) at which a port stops answering.
    QSet<QString> silentAtModem;
    QSet<QString> silentAtDiag;
    int refuseReads = 0;   // the next N read requests get 14 04
    int refuseWrites = 0;  // the next N write requests get 14 05
    int badCrcAnswers = 0; // the next N diagnostic replies carry a broken check value
    bool keepPartialWrites = false; // a refused write leaves its cut-off file in place
    // Messages (AT+CMGS, AT+CMGD).
    int sendError = 0;          // the next send is answered "+CMS ERROR: n" (0: none)
    bool withholdPrompt = false; // the "> " prompt never comes
    int promptDelayMs = 0;
    int sendAnswerDelayMs = 0;   // "+CMGS: n" and OK come this much later
    int refuseDeletes = 0;       // the next N deletes are refused
};

class AnomalyLog {
public:
    void record(const QString &port, const QString &what)
    {
        m_lines.append(port + QStringLiteral(": ") + what);
        if (m_watcher)
            m_watcher(m_lines.last());
    }
    const QStringList &lines() const { return m_lines; }
    void clear() { m_lines.clear(); }
    void setWatcher(std::function<void(const QString &)> watcher) { m_watcher = std::move(watcher); }

    // Every message PDU the phone accepted, kept beside the anomalies but not among them:
    // sending is no fault, yet a test wants to see what went out.
    void recordSent(const QString &pdu)
    {
        m_sent.append(pdu);
        if (m_sentWatcher)
            m_sentWatcher(pdu);
    }
    const QStringList &sent() const { return m_sent; }
    void setSentWatcher(std::function<void(const QString &)> watcher) { m_sentWatcher = std::move(watcher); }

private:
    QStringList m_lines;
    QStringList m_sent;
    std::function<void(const QString &)> m_watcher;
    std::function<void(const QString &)> m_sentWatcher;
};

} // namespace vandrel::phonesim
