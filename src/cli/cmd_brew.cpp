// vandrel-cli brew ...: the phone's BREW file system on the diagnostic port; vandrel-cli mode:
// the phone's operating modes.
#include "cli.h"
#include "cliasker.h"
#include "clilink.h"

#include <link/brewcopy.h>
#include <link/brewsession.h>
#include <link/connectsession.h>
#include <link/localfiles.h>
#include <link/phonemodes.h>

#include <QCoroTask>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace vandrel::cli {
namespace {

using link::Outcome;

QString shownPath(const QString &phonePath)
{
    const QString p = brew::brewFolderPath(phonePath);
    return p.isEmpty() ? QStringLiteral("/") : p.chopped(1);
}


// "-r" anywhere among the arguments; the rest in order.
bool takeRecursive(QStringList &args)
{
    return args.removeAll(QStringLiteral("-r")) > 0;
}

int finish(link::PhoneLink &phone, const Outcome &o, const QString &what, const CliAsker *asker = nullptr)
{
    phone.closePorts();
    const bool problems = asker && reportProblems(*asker);
    if (o.ok())
        return problems ? Failure : Success;
    if (asker)
        if (const QString why = refusalOf(*asker); !why.isEmpty() && o.isCancelled()) {
            fail(QStringLiteral("%1: %2").arg(what, why));
            return Failure;
        }
    fail(QStringLiteral("%1 failed (%2)").arg(what, describeFailure(o)));
    return Failure;
}

// The diagnostic port, the session and the copier of one copying command.
struct Copying {
    explicit Copying(const GlobalOptions &options)
        : phone(openDiag(options)), asker(std::make_unique<CliAsker>(options.overwrite)), questions(*asker)
    {
        if (!phone)
            return;
        session = std::make_unique<link::BrewSession>(*phone);
        copier = std::make_unique<link::BrewCopier>(*session, questions);
        // Failures become the user's questions on a terminal, else they are gone on past and
        // reported at the end.
        copier->setAskAfterFailure(true);
        QObject::connect(copier.get(), &link::BrewCopier::notice, [](const QString &text) { notice(text); });
        CliAsker *record = asker.get();
        QObject::connect(copier.get(), &link::BrewCopier::warning, [record](const QString &text) { record->addProblem(text); });
    }
    std::unique_ptr<link::PhoneLink> phone;
    std::unique_ptr<CliAsker> asker;
    link::OverwriteQuestions questions;
    std::unique_ptr<link::BrewSession> session;
    std::unique_ptr<link::BrewCopier> copier;
};

int runList(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() > 1) {
        fail(QStringLiteral("brew ls takes at most one folder"));
        return UsageError;
    }
    auto phone = openDiag(options);
    if (!phone)
        return Failure;
    link::BrewSession session(*phone);
    const auto folder = QCoro::waitFor(session.listBrewFolder(args.value(0)));
    if (!folder.ok())
        return finish(*phone, folder.outcome, QStringLiteral("listing %1").arg(shownPath(args.value(0))));
    phone->closePorts();
    QTextStream out(stdout);
    for (const auto &e : folder.value.entries)
        out << e.caption() << '\t' << e.sizeText << '\t' << e.dateText << '\n';
    return Success;
}

int runGet(const GlobalOptions &options, QStringList args)
{
    const bool recursive = takeRecursive(args);
    if (args.isEmpty() || args.size() > 2) {
        fail(QStringLiteral("brew get takes REMOTE and an optional LOCAL"));
        return UsageError;
    }
    const QString remote = args.at(0);
    const QString local = args.value(1, QStringLiteral("."));
    const QString name = brew::brewBaseName(remote);
    if (name.isEmpty() && !recursive) {
        fail(QStringLiteral("brew get needs a file name; copy a folder with -r"));
        return UsageError;
    }
    Copying c(options);
    if (!c.phone)
        return Failure;
    const QString what = QStringLiteral("copying %1").arg(shownPath(remote));

    bool folder = false;
    if (recursive) {
        const auto entry = QCoro::waitFor(c.copier->lookup(remote));
        if (!entry.ok())
            return finish(*c.phone, entry.outcome, what);
        folder = entry.value.isFolder;
    }
    if (folder) {
        if (!QFileInfo(local).isDir())
            return finish(*c.phone, Outcome::failed(link::FailureKind::LocalFile,
                                                  QStringLiteral("%1 is no folder").arg(QDir::toNativeSeparators(local))),
                          what);
        return finish(*c.phone, QCoro::waitFor(c.copier->getFolder(remote, local)), what, c.asker.get());
    }
    QString target = local;
    if (QFileInfo(local).isDir()) {
        const auto safe = brew::safeLocalName(name);
        if (!safe)
            return finish(*c.phone, Outcome::failed(link::FailureKind::Usage,
                                                  QStringLiteral("\"%1\" is not safe as a local file name").arg(name)),
                          what);
        target = QDir(local).filePath(*safe);
    }
    return finish(*c.phone, QCoro::waitFor(c.copier->getFile(remote, target)), what, c.asker.get());
}

int runPut(const GlobalOptions &options, QStringList args)
{
    const bool recursive = takeRecursive(args);
    if (args.size() != 2) {
        fail(QStringLiteral("brew put takes LOCAL and REMOTE_FOLDER"));
        return UsageError;
    }
    const QFileInfo local(link::cleanLocalPath(args.at(0)));
    if (local.isDir() && !recursive) {
        fail(QStringLiteral("%1 is a folder; copy it with -r").arg(args.at(0)));
        return UsageError;
    }
    if (!local.exists()) {
        fail(QStringLiteral("%1 does not exist").arg(QDir::toNativeSeparators(args.at(0))));
        return Failure;
    }
    Copying c(options);
    if (!c.phone)
        return Failure;
    const QString what = QStringLiteral("copying %1").arg(QDir::toNativeSeparators(args.at(0)));
    const Outcome o = local.isDir() ? QCoro::waitFor(c.copier->putFolder(local.filePath(), args.at(1)))
                                    : QCoro::waitFor(c.copier->putFile(local.filePath(), args.at(1)));
    return finish(*c.phone, o, what, c.asker.get());
}

int runRemove(const GlobalOptions &options, QStringList args)
{
    const bool recursive = takeRecursive(args);
    if (args.size() != 1 || brew::brewBaseName(args.at(0)).isEmpty()) {
        fail(QStringLiteral("brew rm takes one phone file or folder (not the root)"));
        return UsageError;
    }
    Copying c(options);
    if (!c.phone)
        return Failure;
    const QString what = QStringLiteral("removing %1").arg(shownPath(args.at(0)));
    const auto entry = QCoro::waitFor(c.copier->lookup(args.at(0)));
    if (!entry.ok())
        return finish(*c.phone, entry.outcome, what);
    const QString phoneName = brew::brewFolderPath(args.at(0));
    Outcome o;
    if (!entry.value.isFolder)
        o = QCoro::waitFor(c.session->removeBrewFile(phoneName.chopped(1)));
    else if (recursive)
        o = QCoro::waitFor(c.copier->removeFolder(phoneName));
    else
        o = QCoro::waitFor(c.session->removeBrewFolder(phoneName));
    return finish(*c.phone, o, what, c.asker.get());
}

int runMakeFolder(const GlobalOptions &options, const QStringList &args)
{
    if (args.size() != 1 || brew::brewBaseName(args.at(0)).isEmpty()) {
        fail(QStringLiteral("brew mkdir takes one new phone folder"));
        return UsageError;
    }
    auto phone = openDiag(options);
    if (!phone)
        return Failure;
    link::BrewSession session(*phone);
    const Outcome o = QCoro::waitFor(
        session.makeBrewFolder(brew::brewParentPath(args.at(0)), brew::brewBaseName(args.at(0))));
    return finish(*phone, o, QStringLiteral("creating %1").arg(shownPath(args.at(0))));
}

int runFree(const GlobalOptions &options, const QStringList &args)
{
    if (!args.isEmpty()) {
        fail(QStringLiteral("brew free takes no arguments"));
        return UsageError;
    }
    auto phone = openDiag(options);
    if (!phone)
        return Failure;
    link::BrewSession session(*phone);
    const auto free = QCoro::waitFor(session.requestBrewFreeSpace());
    if (!free.ok())
        return finish(*phone, free.outcome, QStringLiteral("asking the free space"));
    phone->closePorts();
    QTextStream(stdout) << free.value << '\n';
    return Success;
}

int runMode(const GlobalOptions &options, const QStringList &args)
{
    static const QList<std::pair<QString, link::PhoneMode>> modes{
        {QStringLiteral("online"), link::PhoneMode::Online},
        {QStringLiteral("offline"), link::PhoneMode::Offline},
        {QStringLiteral("factory"), link::PhoneMode::FactoryMode},
        {QStringLiteral("reset"), link::PhoneMode::ResetRequest},
    };
    const auto it = std::find_if(modes.cbegin(), modes.cend(),
                                 [&args](const auto &m) { return args.size() == 1 && m.first == args.first(); });
    if (it == modes.cend()) {
        fail(QStringLiteral("mode takes one of online, offline, factory, reset"));
        return UsageError;
    }
    auto phone = openDiag(options);
    if (!phone)
        return Failure;
    link::PhoneModes phoneModes(*phone);
    const Outcome o = QCoro::waitFor(phoneModes.requestMode(it->second));
    return finish(*phone, o, QStringLiteral("mode %1").arg(it->first));
}

const QString kBrew = QStringLiteral("brew");

const bool registered = registerCommand({kBrew, QStringLiteral("ls"), QStringLiteral("[FOLDER]"),
                                         QStringLiteral("list a folder of the BREW file system (brew, brew/mod, ...)"),
                                         runList}) &&
                        registerCommand({kBrew, QStringLiteral("get"), QStringLiteral("[-r] REMOTE [LOCAL]"),
                                         QStringLiteral("copy a BREW file (a folder with -r) to the computer"), runGet}) &&
                        registerCommand({kBrew, QStringLiteral("put"), QStringLiteral("[-r] LOCAL REMOTE_FOLDER"),
                                         QStringLiteral("copy a file (a folder with -r) into a BREW folder"), runPut}) &&
                        registerCommand({kBrew, QStringLiteral("rm"), QStringLiteral("[-r] REMOTE"),
                                         QStringLiteral("remove a BREW file or empty folder (with -r: and its contents)"),
                                         runRemove}) &&
                        registerCommand({kBrew, QStringLiteral("mkdir"), QStringLiteral("REMOTE_FOLDER"),
                                         QStringLiteral("create a BREW folder"), runMakeFolder}) &&
                        registerCommand({kBrew, QStringLiteral("free"), QString(),
                                         QStringLiteral("print the free bytes of the BREW file system"), runFree}) &&
                        registerCommand({QStringLiteral("mode"), QString(), QStringLiteral("online|offline|factory|reset"),
                                         QStringLiteral("switch the phone's operating mode over the diagnostic port"),
                                         runMode});

} // namespace
} // namespace vandrel::cli
