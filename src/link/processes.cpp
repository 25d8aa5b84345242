#include "processes.h"

#include <QDir>
#include <QFile>

#ifdef Q_OS_UNIX
#include <csignal>
#endif

namespace vandrel::link {

namespace {

class SystemProcessList final : public ProcessList {
public:
    QList<ProcessInfo> snapshot() const override
    {
        QList<ProcessInfo> out;
#ifdef Q_OS_LINUX
        const QDir proc(QStringLiteral("/proc"));
        for (const QString &entry : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            bool numeric = false;
            const qint64 pid = entry.toLongLong(&numeric);
            if (!numeric)
                continue;
            QFile comm(proc.filePath(entry + QStringLiteral("/comm")));
            if (comm.open(QIODevice::ReadOnly))
                out.append({pid, QString::fromLocal8Bit(comm.readAll()).trimmed()});
        }
#endif
        return out;
    }

    bool terminate(qint64 pid) override
    {
#ifdef Q_OS_UNIX
        return ::kill(pid_t(pid), SIGTERM) == 0;
#else
        Q_UNUSED(pid);
        return false;
#endif
    }
};

struct Known {
    const char *names[2];
    const char *program;
    const char *holds;
};
const Known kKnown[] = {
    {{"qpstserver.exe", "qpstse~1.exe"}, "QPSTServer", "Brew"},
    {{"mobile phone manager.exe", "ph56ca~1.exe"}, "MPM", "Obex"},
};

} // namespace

ProcessList &ProcessList::system()
{
    static SystemProcessList list;
    return list;
}

QList<Competitor> findCompetitors(const QList<ProcessInfo> &processes)
{
    QList<Competitor> found;
    for (const ProcessInfo &p : processes) {
        const QString lower = p.name.toLower();
        for (const Known &k : kKnown) {
            if (lower != QLatin1String(k.names[0]) && lower != QLatin1String(k.names[1]))
                continue;
            const bool seen = std::any_of(found.cbegin(), found.cend(),
                                          [&](const Competitor &c) { return c.name.toLower() == lower; });
            if (!seen)
                found.append({p.name, QString::fromLatin1(k.program), QString::fromLatin1(k.holds)});
        }
    }
    return found;
}

int endProcesses(ProcessList &list, const QString &name)
{
    int ended = 0;
    for (const ProcessInfo &p : list.snapshot())
        if (p.name.compare(name, Qt::CaseInsensitive) == 0 && list.terminate(p.pid))
            ++ended;
    return ended;
}

bool modemManagerRunning(const QList<ProcessInfo> &processes)
{
    return std::any_of(processes.cbegin(), processes.cend(),
                       [](const ProcessInfo &p) { return p.name == QLatin1String("ModemManager"); });
}

QString modemManagerAdvice()
{
    return QStringLiteral(
        "ModemManager is running and may be probing the phone's ports. Tell it to ignore this phone "
        "instead of stopping it: add a udev rule such as\n"
        "ATTRS{idVendor}==\"05c6\", ENV{ID_MM_DEVICE_IGNORE}=\"1\"\n"
        "to /etc/udev/rules.d/99-vandrel.rules (with your cable's vendor id from lsusb), then run "
        "'sudo udevadm control --reload' and plug the cable in again.");
}

} // namespace vandrel::link
