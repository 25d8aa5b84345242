#pragma once
// Opening a document with the desktop's program, and the open-with fallback: the desktop's
// own chooser where it has none, else a file dialog to pick a program.
#include <QString>
#include <functional>

class QWidget;

namespace vandrel::ui {

struct ShellServices {
    // Opens with the associated program; false when the desktop has none for the file.
    std::function<bool(const QString &path)> openAssociated;
    // Lets the user pick a program for the file and starts it; false when cancelled.
    std::function<bool(const QString &path, QWidget *parent)> openWith;

    static ShellServices &instance(); // replaceable in tests
};

// OpenWithShell: associated program first, then the open-with chooser.
bool openWithShell(const QString &path, QWidget *parent);

} // namespace vandrel::ui
