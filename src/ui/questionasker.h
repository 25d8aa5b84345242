#pragma once
// The desktop's answers to the questions of a copy operation: the shared question box, worded
// from the message table.
#include <core/settings/messagetable.h>
#include <link/overwrite.h>

#include <QPointer>
#include <QWidget>

namespace vandrel::ui {

class BoxQuestionAsker final : public link::QuestionAsker {
public:
    // The boxes are modal to `parent` while it exists.
    BoxQuestionAsker(QWidget *parent, const settings::MessageTable &messages) : m_parent(parent), m_messages(messages) {}

    QCoro::Task<link::Answer> askReplace(QString where) override;
    QCoro::Task<link::Answer> askGoOn(link::GoOnQuestion question, QString subject) override;

private:
    QPointer<QWidget> m_parent;
    const settings::MessageTable &m_messages;
};

// Text `m` of the table, or `builtIn` when the table has none.
QString wordsOf(const settings::MessageTable &messages, settings::Msg m, const QString &builtIn);

} // namespace vandrel::ui
