#include "questionasker.h"

#include "questionbox.h"

namespace vandrel::ui {

using settings::Msg;

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

QString wordsOf(const settings::MessageTable &messages, Msg m, const QString &builtIn)
{
    const QString t = messages.text(m);
    return t.isEmpty() ? builtIn : t;
}

QCoro::Task<link::Answer> BoxQuestionAsker::askReplace(QString where)
{
    const QString text = where + wordsOf(m_messages, Msg::ReplaceFileQuestion, QStringLiteral(" already exists. Overwrite it?"));
    const auto button = co_await ask(m_parent, text,
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::NoToAll
                                         | QMessageBox::YesToAll);
    co_return answerOf(button);
}

QCoro::Task<link::Answer> BoxQuestionAsker::askGoOn(link::GoOnQuestion question, QString subject)
{
    QString text;
    auto icon = QMessageBox::Question;
    switch (question) {
    case link::GoOnQuestion::NotRemoved:
        text = subject + wordsOf(m_messages, Msg::CannotBeDeleted, QStringLiteral(" – cannot be deleted. Continue?"));
        break;
    case link::GoOnQuestion::NotSent:
        text = subject + wordsOf(m_messages, Msg::PhoneSentNoFile, QStringLiteral(" – the phone did not send this file. Continue?"));
        break;
    case link::GoOnQuestion::DeleteBrewFolder:
        text = wordsOf(m_messages, Msg::BrewFolderWarning,
                       QStringLiteral("Delete the BREW folder with everything in it? Deleting it may break functions of the phone."));
        icon = QMessageBox::Warning;
        break;
    }
    const auto button = co_await ask(m_parent, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, icon);
    co_return answerOf(button);
}

} // namespace vandrel::ui
