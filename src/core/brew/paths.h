#pragma once
// BREW phone paths as the requests take them, and the names a phone entry may have on this
// computer.
#include <QString>
#include <QStringList>
#include <optional>

namespace vandrel::brew {

// A phone folder path in the form the requests take: names each followed by "/", "" the root.
QString brewFolderPath(const QString &path);
// The names of a phone folder path, from the root.
QStringList brewFolderNames(const QString &path);
// "a/b/c" -> "a/b/" and "c"; the root has neither.
QString brewParentPath(const QString &phoneName);
QString brewBaseName(const QString &phoneName);
// The bare name a phone or a user gave, when it is safe as one local file name in a folder:
// not empty, no ".", "..", "/", "\", NUL, control characters or drive prefix.
std::optional<QString> safeLocalName(const QString &name);

} // namespace vandrel::brew
