#pragma once
// The program's input box: caption "Vandrel Controller", one prompt, one line of text, OK and
// Cancel; opened without a nested event loop and awaited from a coroutine.
#include "questionbox.h"

#include <QCoroTask>
#include <QString>
#include <optional>

class QInputDialog;
class QWidget;

namespace vandrel::ui {

// Opens the box (object name "InputBox") window-modal to `parent` and returns it; it deletes
// itself when answered.
QInputDialog *openInput(QWidget *parent, const QString &prompt, const QString &defaultText);

// Asks and waits: the text on OK, nothing on Cancel or when the box went away unanswered.
QCoro::Task<std::optional<QString>> askText(QWidget *parent, QString prompt, QString defaultText = {},
                                            Closes closes = Closes::WithWindow);

} // namespace vandrel::ui
