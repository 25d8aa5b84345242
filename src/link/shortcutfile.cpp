#include "shortcutfile.h"

#include "paths.h"

#include <core/settings/shortcuts.h>

#include <QFile>
#include <QSaveFile>

namespace vandrel::link {

QString shortcutFilePath() { return dataFile(QStringLiteral("short.vdl")); }

std::optional<QStringList> readShortcutFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return settings::parseShortcutFile(file.readAll());
}

bool writeShortcutFile(const QStringList &keyNames, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(settings::shortcutFileContents(keyNames));
    return file.commit();
}

} // namespace vandrel::link
