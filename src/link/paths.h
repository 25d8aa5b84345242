#pragma once
// Where the program keeps its side files (".vdl" files, "log.txt") and finds its language
// files: $VANDREL_HOME when set (tests, portable use), else the per-user data folder.
#include <QString>
#include <QStringList>

namespace vandrel::link {

QString dataFolder();                     // created when missing
QString dataFile(const QString &name);    // dataFolder() + name
// Folders that may hold "LNG", in the order they are tried.
QStringList languageFolderCandidates();
// The work folder for files fetched from the phone: "VDLC" under the user's runtime folder, or
// under the temporary folder where there is none. It is the user's alone (mode 0700); a folder
// there that belongs to someone else or is open to others is refused: empty, with `error` set.
QString workFolder(QString *error = nullptr);
// Why `folder` may not hold the user's files: owned by another user than `owner`, or open to
// group or others. Empty when it is private.
QString privateFolderProblem(const QString &folder, uint owner);

} // namespace vandrel::link
