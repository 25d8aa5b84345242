// vandrel-cli obex ...: the phone's user file system over OBEX on the modem port.
#include "cli.h"
#include "cliasker.h"
#include "clilink.h"

#include <core/explorer/direntry.h>
#include <link/obexsession.h>
#include <link/localfiles.h>
#include <link/obextransfer.h>

#include <QCoroTask>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vandrel::cli {

QStringList phonePath(const QString &text)
{
    QStringList names = text.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    return names;
}

namespace {

int runList(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() > 1) {
        fail(QStringLiteral("obex ls takes at most one folder"));
        return UsageError;
    }
    const QStringList path = phonePath(args.value(0));
    auto phone = makeLink(options);
    if (!connectModem(*phone))
        return Failure;
    link::ObexSession session(*phone);
    const auto folder = QCoro::waitFor(session.list(path, false));
    phone->closePorts();
    if (!folder.ok()) {
        fail(QStringLiteral("listing %1 failed (%2)")
                 .arg(path.isEmpty() ? QStringLiteral("the root") : path.join(QLatin1Char('/')),
                      describeFailure(folder.outcome)));
        return Failure;
    }
    QTextStream out(stdout);
    for (const auto &e : folder.value.entries)
        out << e.caption() << '\t' << e.sizeText << '\t' << e.dateText << '\n';
    return Success;
}

const bool registered = registerCommand({QStringLiteral("obex"), QStringLiteral("ls"), QStringLiteral("[FOLDER]"),
                                         QStringLiteral("list a folder of the phone's file system (mmc, user, ...)"),
                                         runList});

// "-r" anywhere among the arguments; the rest in order.
bool takeRecursive(QStringList &args)
{
    return args.removeAll(QStringLiteral("-r")) > 0;
}

QString lineText(const link::TransferLine &line)
{
    switch (line.prefix) {
    case link::LinePrefix::None: break;
    case link::LinePrefix::From: return QStringLiteral("From: ") + line.text;
    case link::LinePrefix::To: return QStringLiteral("To: ") + line.text;
    }
    return line.text;
}

QString shown(const QStringList &path)
{
    return path.isEmpty() ? QStringLiteral("the root") : path.join(QLatin1Char('/'));
}

// One transfer operation on the phone: connects, runs `work`, prints progress on a terminal,
// and turns the outcome into the exit status.
class TransferRun {
public:
    explicit TransferRun(const GlobalOptions &options) : m_options(options), m_asker(options.overwrite) {}

    template <typename Work>
    int run(const QString &what, Work work)
    {
        auto phone = makeLink(m_options);
        if (!connectModem(*phone))
            return Failure;
        link::ObexTransfer transfer(*phone, m_asker);
        const bool terminal = onTerminal();
        QObject::connect(&transfer, &link::Transfer::linesChanged, &transfer,
                         [this](const link::TransferLine &upper, const link::TransferLine &) { m_line = lineText(upper); });
        QObject::connect(&transfer, &link::Transfer::progressChanged, &transfer,
                         [this, terminal](qint64 value, qint64 maximum) {
                             if (!terminal)
                                 return;
                             const int percent = maximum > 0 ? int(value * 100 / maximum) : 0;
                             std::fprintf(stderr, "\r\033[K%s  %d%%", qPrintable(m_line), percent);
                             std::fflush(stderr);
                             m_progressShown = true;
                         });
        QObject::connect(&transfer, &link::Transfer::warning, &transfer, [this](const QString &text) {
            endProgressLine();
            m_asker.addProblem(text);
        });
        const link::Outcome outcome = QCoro::waitFor(work(transfer));
        endProgressLine();
        phone->closePorts();
        const bool problems = reportProblems(m_asker);
        if (outcome.ok())
            return problems ? Failure : Success;
        if (const QString refusal = refusalOf(m_asker); !refusal.isEmpty())
            fail(refusal);
        else
            fail(QStringLiteral("%1 failed (%2)").arg(what, describeFailure(outcome)));
        return Failure;
    }

    CliAsker &asker() { return m_asker; }

private:
    static bool onTerminal()
    {
#ifdef Q_OS_UNIX
        return ::isatty(STDERR_FILENO);
#else
        return false;
#endif
    }
    void endProgressLine()
    {
        if (m_progressShown)
            std::fprintf(stderr, "\n");
        m_progressShown = false;
    }

    const GlobalOptions &m_options;
    CliAsker m_asker;
    QString m_line;
    bool m_progressShown = false;
};

int runGet(const GlobalOptions &options, const QStringList &arguments)
{
    QStringList args = arguments;
    const bool recursive = takeRecursive(args);
    if (args.isEmpty() || args.size() > 2) {
        fail(QStringLiteral("obex get takes REMOTE and at most one LOCAL"));
        return UsageError;
    }
    QStringList folder = phonePath(args.at(0));
    if (folder.isEmpty()) {
        fail(QStringLiteral("obex get needs a file or folder of the phone, not the root"));
        return UsageError;
    }
    const QString name = folder.takeLast();
    const QString local = args.size() > 1 ? args.at(1) : QDir::currentPath();
    const QFileInfo localInfo(local);
    TransferRun run(options);
    const QString what = QStringLiteral("getting %1").arg(shown(folder + QStringList{name}));
    if (recursive) {
        if (!localInfo.isDir()) {
            fail(QStringLiteral("%1 is not a folder").arg(local));
            return Failure;
        }
        const QStringList captions{explorer::DirEntry::folder(name).caption()};
        return run.run(what, [&](link::ObexTransfer &t) { return t.download(folder, captions, local); });
    }
    const QString target = localInfo.isDir() ? QDir(local).filePath(name) : local;
    if (QFileInfo::exists(target)) {
        link::OverwriteQuestions questions(run.asker());
        const auto decision = QCoro::waitFor(
            questions.decide(QDir::toNativeSeparators(QFileInfo(target).absoluteFilePath()) + QStringLiteral(" already exists. Overwrite it?")));
        if (decision == link::OverwriteDecision::Skip)
            return Success;
        if (decision == link::OverwriteDecision::Stop) {
            const QString refusal = refusalOf(run.asker());
            fail(refusal.isEmpty() ? QStringLiteral("%1 was left as it is").arg(target) : refusal);
            return Failure;
        }
    }
    return run.run(what, [&](link::ObexTransfer &t) { return t.getFile(folder, name, target); });
}

int runPut(const GlobalOptions &options, const QStringList &arguments)
{
    QStringList args = arguments;
    const bool recursive = takeRecursive(args);
    if (args.size() != 2) {
        fail(QStringLiteral("obex put takes LOCAL and REMOTE_FOLDER"));
        return UsageError;
    }
    // "DIR/" and "./" name the folder itself.
    const QFileInfo local(link::cleanLocalPath(args.at(0)));
    const QStringList folder = phonePath(args.at(1));
    if (folder.isEmpty()) {
        fail(QStringLiteral("files cannot be copied into the phone's root; name a folder such as mmc"));
        return UsageError;
    }
    if (!local.exists()) {
        fail(QStringLiteral("%1 does not exist").arg(args.at(0)));
        return Failure;
    }
    if (local.isDir() && !recursive) {
        fail(QStringLiteral("%1 is a folder; use -r to copy it with everything in it").arg(args.at(0)));
        return UsageError;
    }
    const QString name = local.fileName();
    const QStringList captions{local.isDir() ? explorer::DirEntry::folder(name).caption() : name};
    const QString parent = local.absolutePath();
    return TransferRun(options).run(QStringLiteral("putting %1 into %2").arg(args.at(0), shown(folder)),
                                    [&](link::ObexTransfer &t) { return t.upload(folder, captions, parent); });
}

// REMOTE split into its folder and its last name; false (and a usage message) for the root.
bool splitRemote(const QString &command, const QString &text, QStringList &folder, QString &name)
{
    folder = phonePath(text);
    if (folder.isEmpty()) {
        fail(QStringLiteral("obex %1 needs a file or folder of the phone, not the root").arg(command));
        return false;
    }
    name = folder.takeLast();
    return true;
}

int runRemove(const GlobalOptions &options, const QStringList &args)
{
    QStringList folder;
    QString name;
    if (args.size() != 1) {
        fail(QStringLiteral("obex rm takes one REMOTE"));
        return UsageError;
    }
    if (!splitRemote(QStringLiteral("rm"), args.at(0), folder, name))
        return UsageError;
    return TransferRun(options).run(QStringLiteral("deleting %1").arg(args.at(0)),
                                    [&](link::ObexTransfer &t) { return t.remove(folder, {name}); });
}

int runMkdir(const GlobalOptions &options, const QStringList &args)
{
    QStringList folder;
    QString name;
    if (args.size() != 1) {
        fail(QStringLiteral("obex mkdir takes one REMOTE_FOLDER"));
        return UsageError;
    }
    if (!splitRemote(QStringLiteral("mkdir"), args.at(0), folder, name))
        return UsageError;
    return TransferRun(options).run(QStringLiteral("creating %1").arg(args.at(0)),
                                    [&](link::ObexTransfer &t) { return t.createFolder(folder, name); });
}

int runMove(const GlobalOptions &options, const QStringList &args)
{
    QStringList folder;
    QString name;
    if (args.size() != 2) {
        fail(QStringLiteral("obex mv takes REMOTE and NEW_NAME"));
        return UsageError;
    }
    if (!splitRemote(QStringLiteral("mv"), args.at(0), folder, name))
        return UsageError;
    const QString newName = args.at(1);
    if (newName.isEmpty() || newName.contains(QLatin1Char('/'))) {
        fail(QStringLiteral("NEW_NAME is a name within the same folder, without \"/\""));
        return UsageError;
    }
    return TransferRun(options).run(QStringLiteral("renaming %1").arg(args.at(0)),
                                    [&](link::ObexTransfer &t) { return t.rename(folder, name, newName); });
}

const bool registeredTransfers[] = {
    registerCommand({QStringLiteral("obex"), QStringLiteral("get"), QStringLiteral("[-r] REMOTE [LOCAL]"),
                     QStringLiteral("copy a phone file (with -r a folder) to the computer"), runGet}),
    registerCommand({QStringLiteral("obex"), QStringLiteral("put"), QStringLiteral("[-r] LOCAL REMOTE_FOLDER"),
                     QStringLiteral("copy a file (with -r a folder) into a phone folder"), runPut}),
    registerCommand({QStringLiteral("obex"), QStringLiteral("rm"), QStringLiteral("REMOTE"),
                     QStringLiteral("delete a phone file or folder"), runRemove}),
    registerCommand({QStringLiteral("obex"), QStringLiteral("mkdir"), QStringLiteral("REMOTE_FOLDER"),
                     QStringLiteral("create a phone folder"), runMkdir}),
    registerCommand({QStringLiteral("obex"), QStringLiteral("mv"), QStringLiteral("REMOTE NEW_NAME"),
                     QStringLiteral("rename a phone file or folder within its folder"), runMove}),
};
} // namespace
} // namespace vandrel::cli
