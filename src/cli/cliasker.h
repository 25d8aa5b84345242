#pragma once
// The command line's answers to overwrite questions: fixed by --overwrite yes|no, or asked on
// the terminal; with "ask" and no terminal the question is refused (the command fails).
#include "cli.h"

#include <link/overwrite.h>

#include <memory>

namespace vandrel::cli {

class TerminalAsker final : public link::QuestionAsker {
public:
    QCoro::Task<link::Answer> askOverwrite(QString text) override;
    QCoro::Task<link::Answer> askYesNoCancel(QString text) override;
    // A question came up with no terminal to ask on.
    bool refused() const { return m_refused; }

private:
    link::Answer ask(const QString &text, bool withAll);
    bool m_refused = false;
};

std::unique_ptr<link::QuestionAsker> makeAsker(Overwrite mode);
// The one-line reason when `asker` refused a question, else empty.
QString refusalOf(const link::QuestionAsker &asker);

} // namespace vandrel::cli
