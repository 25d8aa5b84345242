#pragma once
// Small rules of the explorer's commands that need no window: when "Instalovat" shows, what a
// typed rename answer names, and the BREW path moves.
#include <QString>
#include <QStringView>

namespace vandrel::explorer {

// The file a ".jad" needs beside it to be installable: the caption with its last character
// made "r" ("a.jad" -> "a.jar"); empty for other captions.
QString jarBesideJad(QStringView caption);
// "Instalovat" is offered for ".jar" and ".sdt", and for ".jad" when its ".jar" is beside it
// (case-insensitive extensions).
bool installOffered(QStringView caption, bool jarBeside);

// One name within a folder: not empty, not "." or "..", no "/", "\" or control character.
bool isSingleName(QStringView name);

// The new name a rename answer gives: a folder's answer may keep the brackets the default text
// showed ("[new]" -> "new"). Empty when the answer is no usable single name (empty, ".", "..",
// or holding "/", "\" or a control character).
QString renameTarget(QStringView answer, bool folder);

struct BrewUp {
    QString path;       // the parent folder: names each followed by "/", "" the root
    QString returnName; // the folder left
};
// Going up in BREW access: "brew/mod/" -> "brew/" leaving "mod"; one name -> the root.
BrewUp brewPathUp(QStringView path);

} // namespace vandrel::explorer
