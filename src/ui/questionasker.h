#pragma once
// The desktop's answers to the questions of a copy operation: the shared question box.
#include <link/overwrite.h>

#include <QPointer>
#include <QWidget>

namespace vandrel::ui {

class BoxQuestionAsker final : public link::QuestionAsker {
public:
    // The boxes are modal to `parent` while it exists.
    explicit BoxQuestionAsker(QWidget *parent) : m_parent(parent) {}

    QCoro::Task<link::Answer> askOverwrite(QString text) override;
    QCoro::Task<link::Answer> askYesNoCancel(QString text) override;

private:
    QPointer<QWidget> m_parent;
};

} // namespace vandrel::ui
