#include "cliasker.h"

#include <QCoroTask>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace vandrel::cli {

namespace {
bool onTerminal()
{
#ifdef Q_OS_UNIX
    return ::isatty(STDIN_FILENO) && ::isatty(STDERR_FILENO);
#else
    return false;
#endif
}

link::Answer askOnTerminal(const QString &text, bool withAll)
{
    QTextStream in(stdin);
    for (;;) {
        std::fprintf(stderr, "%s %s ", qPrintable(text),
                     withAll ? "[y]es, [n]o, yes to [a]ll, n[o] to all, [c]ancel?" : "[y]es, [n]o, [c]ancel?");
        std::fflush(stderr);
        const QString line = in.readLine().trimmed().toLower();
        if (line.isNull())
            return link::Answer::Cancel;
        if (line == QLatin1String("y"))
            return link::Answer::Yes;
        if (line == QLatin1String("n"))
            return link::Answer::No;
        if (line == QLatin1String("c"))
            return link::Answer::Cancel;
        if (withAll && line == QLatin1String("a"))
            return link::Answer::YesToAll;
        if (withAll && line == QLatin1String("o"))
            return link::Answer::NoToAll;
    }
}
} // namespace

QCoro::Task<link::Answer> CliAsker::askReplace(QString where)
{
    switch (m_mode) {
    case Overwrite::Yes:
        co_return link::Answer::YesToAll;
    case Overwrite::No:
        co_return link::Answer::NoToAll;
    case Overwrite::Ask:
        break;
    }
    const QString text = QStringLiteral("%1 already exists. Overwrite it?").arg(where);
    if (!onTerminal()) {
        m_refusedQuestion = text;
        co_return link::Answer::Cancel;
    }
    co_return askOnTerminal(text, true);
}

QCoro::Task<link::Answer> CliAsker::askGoOn(link::GoOnQuestion question, QString subject)
{
    QString problem;
    switch (question) {
    case link::GoOnQuestion::NotRemoved: problem = QStringLiteral("%1 – cannot be deleted.").arg(subject); break;
    case link::GoOnQuestion::NotSent: problem = QStringLiteral("%1 – the phone did not send this file.").arg(subject); break;
    case link::GoOnQuestion::DeleteBrewFolder: co_return link::Answer::Yes;
    }
    m_problems.append(problem);
    if (m_mode == Overwrite::Ask && onTerminal())
        co_return askOnTerminal(problem + QStringLiteral(" Continue?"), false);
    co_return link::Answer::Yes;
}

QString refusalOf(const CliAsker &asker)
{
    if (asker.refusedQuestion().isEmpty())
        return {};
    return QStringLiteral("there is no terminal to ask \"%1\"; use --overwrite yes or --overwrite no")
        .arg(asker.refusedQuestion().simplified());
}

bool reportProblems(const CliAsker &asker)
{
    for (const QString &p : asker.problems())
        fail(QStringLiteral("not done: %1").arg(p));
    return !asker.problems().isEmpty();
}

bool mayReplace(const GlobalOptions &options, const QString &path)
{
    if (!QFileInfo::exists(path))
        return true;
    CliAsker asker(options.overwrite);
    const auto answer = QCoro::waitFor(asker.askReplace(path));
    if (answer == link::Answer::Yes || answer == link::Answer::YesToAll)
        return true;
    const QString refusal = refusalOf(asker);
    fail(refusal.isEmpty() ? QStringLiteral("%1 exists and is kept").arg(path) : refusal);
    return false;
}

} // namespace vandrel::cli
