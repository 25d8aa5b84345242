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

private:
    QStringList m_lines;
    std::function<void(const QString &)> m_watcher;
};

} // namespace vandrel::phonesim
