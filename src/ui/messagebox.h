#pragma once
// The one routine that shows errors and notices: window-modal boxes opened without a nested
// event loop, caption "Vandrel Controller".
#include <QString>

class QWidget;
class QMessageBox;

namespace vandrel::ui {

inline const QString kCaption = QStringLiteral("Vandrel Controller");

QMessageBox *showError(QWidget *parent, const QString &text);
QMessageBox *showInformation(QWidget *parent, const QString &text);

} // namespace vandrel::ui
