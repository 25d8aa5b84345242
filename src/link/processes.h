#pragma once
// Programs that hold the phone's ports: the running processes behind an interface (tests use
// a fake), and which of them the user is asked to end.
#include <QList>
#include <QString>

namespace vandrel::link {

struct ProcessInfo {
    qint64 pid = 0;
    QString name; // the executable's file name
};

class ProcessList {
public:
    virtual ~ProcessList() = default;
    virtual QList<ProcessInfo> snapshot() const = 0;
    virtual bool terminate(qint64 pid) = 0;

    // The running system's processes (empty where they cannot be listed).
    static ProcessList &system();
};

struct Competitor {
    QString name;      // as found, e.g. "QPSTServer.exe"
    QString program;   // first text of the question, e.g. "QPSTServer"
    QString holds;     // second text, e.g. "Brew"
};

// The programs known to hold the phone, each once, in the order found.
QList<Competitor> findCompetitors(const QList<ProcessInfo> &processes);
// Ends every process of that name (compared without regard to case); how many were ended.
int endProcesses(ProcessList &list, const QString &name);
// A process that probes phone modems and must be told to ignore this one (not ended).
bool modemManagerRunning(const QList<ProcessInfo> &processes);
// How to tell it so.
QString modemManagerAdvice();

} // namespace vandrel::link
