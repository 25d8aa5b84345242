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
// The work folder for files fetched from the phone ("VDLC" under the temporary folder).
QString workFolder();

} // namespace vandrel::link
