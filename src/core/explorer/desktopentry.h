#pragma once
// Reading a desktop entry (the ".desktop" files of free desktops) far enough to start the
// program it names on one file: how the text editor the user chose for plain text is found.
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace vandrel::explorer {

struct DesktopEntry {
    QString exec;          // the Exec value, escapes of the file format resolved
    bool terminal = false; // the program needs a terminal window
    bool hidden = false;   // Hidden=true: the entry counts as deleted
};

// The keys of the "[Desktop Entry]" group; localised keys and other groups are skipped.
DesktopEntry parseDesktopEntry(QByteArrayView contents);

// The program and its arguments for `exec` opening `file`: quoting and the escapes inside
// quotes resolved, %f %F %u %U replaced by the file (the file appended when none is given),
// %% kept as "%", every other field code dropped. Empty when the line is empty or malformed
// (an unclosed quote).
QStringList desktopExecCommand(const QString &exec, const QString &file);

} // namespace vandrel::explorer
