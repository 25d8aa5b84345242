#include "cliasker.h"

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
} // namespace

link::Answer TerminalAsker::ask(const QString &text, bool withAll)
{
    if (!onTerminal()) {
        m_refused = true;
        return link::Answer::Cancel;
    }
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

QCoro::Task<link::Answer> TerminalAsker::askOverwrite(QString text)
{
    co_return ask(text, true);
}

QCoro::Task<link::Answer> TerminalAsker::askYesNoCancel(QString text)
{
    co_return ask(text, false);
}

std::unique_ptr<link::QuestionAsker> makeAsker(Overwrite mode)
{
    switch (mode) {
    case Overwrite::Yes:
        return std::make_unique<link::FixedAsker>(link::Answer::YesToAll);
    case Overwrite::No:
        return std::make_unique<link::FixedAsker>(link::Answer::NoToAll);
    case Overwrite::Ask:
        break;
    }
    return std::make_unique<TerminalAsker>();
}

QString refusalOf(const link::QuestionAsker &asker)
{
    const auto *terminal = dynamic_cast<const TerminalAsker *>(&asker);
    if (terminal && terminal->refused())
        return QStringLiteral("a file would be replaced and there is no terminal to ask on; "
                              "use --overwrite yes or --overwrite no");
    return {};
}

} // namespace vandrel::cli
