#pragma once
// The program's one question box: caption "Vandrel Controller", any of the buttons Yes, Yes to
// all, No, No to all and Cancel with captions from the language file, opened without a nested
// event loop and awaited from a coroutine.
#include <QCoroTask>
#include <QMessageBox>
#include <QString>

class QWidget;

namespace vandrel::ui {

// Whether a question belongs to a phone operation: such a question closes unanswered (Cancel)
// when the link goes, so that no late answer starts work on a connection that is gone.
enum class Closes { WithWindow, WithLink };

// Marks a question or input box as one that closes with the link.
void closeWithLink(QWidget *box, Closes closes);
// Closes every open question and input box of `top` that belongs to a phone operation.
void closeLinkQuestions(QWidget *top);

struct QuestionCaptions {
    QString yes, yesToAll, no, noToAll, cancel;
};

// The captions every question box opened from now on shows (set when a language loads).
void setQuestionCaptions(const QuestionCaptions &captions);
const QuestionCaptions &questionCaptions();

// Opens the box window-modal to `parent` (application-modal without one) and returns it; it
// deletes itself when answered. Buttons other than the five are ignored.
QMessageBox *openQuestion(QWidget *parent, const QString &text, QMessageBox::StandardButtons buttons,
                          QMessageBox::Icon icon = QMessageBox::Question);

// Asks and waits for the answer: the button pressed, or Cancel when the box went away
// unanswered (its parent closed).
QCoro::Task<QMessageBox::StandardButton> ask(QWidget *parent, QString text, QMessageBox::StandardButtons buttons,
                                             QMessageBox::Icon icon = QMessageBox::Question,
                                             Closes closes = Closes::WithWindow);

} // namespace vandrel::ui
