#include "questionasker.h"

#include "questionbox.h"

namespace vandrel::ui {

namespace {
link::Answer answerOf(QMessageBox::StandardButton button)
{
    switch (button) {
    case QMessageBox::Yes: return link::Answer::Yes;
    case QMessageBox::YesToAll: return link::Answer::YesToAll;
    case QMessageBox::No: return link::Answer::No;
    case QMessageBox::NoToAll: return link::Answer::NoToAll;
    default: return link::Answer::Cancel; // also a box closed unanswered
    }
}
} // namespace

QCoro::Task<link::Answer> BoxQuestionAsker::askOverwrite(QString text)
{
    const auto button = co_await ask(m_parent, text,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::NoToAll
                                         | QMessageBox::YesToAll);
    co_return answerOf(button);
}

QCoro::Task<link::Answer> BoxQuestionAsker::askYesNoCancel(QString text)
{
    const auto button = co_await ask(m_parent, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    co_return answerOf(button);
}

} // namespace vandrel::ui
