#pragma once
// The explorer's seven user-defined shortcuts and their file "short.vdl": one key name per
// line (as "F5" or "Ctrl+T"), in a fixed command order.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace vandrel::settings {

enum class ShortcutCommand { Copy, Edit, Refresh, Rename, NewFolder, Delete, Install };
inline constexpr int ShortcutCount = 7;

// Object names of the explorer's popup menu items, in file order.
const QStringList &shortcutActionNames();
// The built-in key names, in file order.
const QStringList &builtInShortcuts();

// Always seven key names: a line the file does not have is empty (no shortcut), lines past the
// seventh are ignored, surrounding blanks and CR are dropped.
QStringList parseShortcutFile(const QByteArray &contents);
// Seven lines, each ended by CR LF; missing names are written as empty lines.
QByteArray shortcutFileContents(const QStringList &keyNames);

} // namespace vandrel::settings
