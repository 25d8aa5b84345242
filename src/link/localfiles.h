#pragma once
// The computer's side of the explorer's commands: deleting files and folder trees, renaming,
// new folders. A file without write permission is treated as write-protected and stays, as a
// file with the read-only attribute does on desktops that have one.
#include <QFileInfo>
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

// What a computer entry is to an upload. Links to folders are not followed (a link back up the
// tree would never end), and FIFOs, sockets and devices are passed over: opening one can block
// for ever and none of them is a file to copy.
enum class UploadKind { File, Folder, Skip };
UploadKind uploadKind(const QFileInfo &entry);
// The reason an entry of kind Skip is passed over, for a warning that names it.
QString skipReason(const QFileInfo &entry);
// The entries of a folder an upload copies, hidden ones included, folders first.
QFileInfoList entriesToUpload(const QString &folder);
// The absolute, clean path of a folder or file named on a command line or dropped ("DIR/",
// "./"), so that its last name is the folder's own.
QString cleanLocalPath(const QString &path);

} // namespace vandrel::link
