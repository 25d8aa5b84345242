#pragma once
// The command line's answers to the questions of an operation. Questions about replacing a file
// are answered by --overwrite yes|no, or asked on the terminal; with "ask" and no terminal such a
// question is refused and the command fails. A question about something that was not done
// ("... cannot be deleted. Continue?") is asked on a terminal with "ask", otherwise the
// operation goes on; either way the command exits 1 and names what was not done. The warning
// before a BREW folder goes is the command's own -r: it is not asked again.
#include "cli.h"

#include <link/overwrite.h>

#include <QStringList>
#include <memory>

namespace vandrel::cli {

class CliAsker final : public link::QuestionAsker {
public:
    explicit CliAsker(Overwrite mode) : m_mode(mode) {}

    QCoro::Task<link::Answer> askReplace(QString where) override;
    QCoro::Task<link::Answer> askGoOn(link::GoOnQuestion question, QString subject) override;

    // The replace question that could not be asked (no terminal), else empty.
    const QString &refusedQuestion() const { return m_refusedQuestion; }
    // What the operation reported as not done, one line each, in order.
    const QStringList &problems() const { return m_problems; }
    void addProblem(const QString &text) { m_problems.append(text); }

private:
    Overwrite m_mode;
    QString m_refusedQuestion;
    QStringList m_problems;
};

// The one-line reason when `asker` refused a question, else empty.
QString refusalOf(const CliAsker &asker);
// True when `path` is free, or its replacement is allowed (--overwrite, or the user's answer);
// else says why on stderr.
bool mayReplace(const GlobalOptions &options, const QString &path);

// Prints what `asker` collected as not done; true when there was anything.
bool reportProblems(const CliAsker &asker);

} // namespace vandrel::cli
