#pragma once
// The computer's side of the explorer's commands: deleting files and folder trees, renaming,
// new folders. A file without write permission is treated as write-protected and stays, as a
// file with the read-only attribute does on desktops that have one.
#include <QString>

namespace vandrel::link {

bool isWriteProtected(const QString &path);
// One file; false when it is write-protected or cannot be removed.
bool removeLocalFile(const QString &path);
// Empties `folder` depth first (hidden entries included, links not followed) and removes it.
// The first entry that cannot go stops it: false, and what was reached is gone.
bool removeLocalTree(const QString &folder);
// Renames within the file system; an existing target is never replaced.
bool renameLocal(const QString &from, const QString &to);
bool makeLocalFolder(const QString &path);

} // namespace vandrel::link
