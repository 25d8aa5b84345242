#pragma once
// "short.vdl" in the data folder: the explorer's seven shortcut key names.
#include <QString>
#include <QStringList>
#include <optional>

namespace vandrel::link {

QString shortcutFilePath();
// The seven key names, or nothing when the file does not exist or cannot be read.
std::optional<QStringList> readShortcutFile(const QString &path = shortcutFilePath());
// Writes the seven lines atomically; false when the file could not be written.
bool writeShortcutFile(const QStringList &keyNames, const QString &path = shortcutFilePath());

} // namespace vandrel::link
