#include "paths.h"

#include "core/explorer/commandrules.h"

#include <QRegularExpression>
#include <QStringList>

namespace vandrel::brew {

QStringList brewFolderNames(const QString &path)
{
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

QString brewFolderPath(const QString &path)
{
    const QStringList names = brewFolderNames(path);
    return names.isEmpty() ? QString() : names.join(QLatin1Char('/')) + QLatin1Char('/');
}

QString brewParentPath(const QString &phoneName)
{
    const QString path = brewFolderPath(phoneName);
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'), path.size() - 2);
    return slash < 0 ? QString() : path.left(slash + 1);
}

QString brewBaseName(const QString &phoneName)
{
    const QString path = brewFolderPath(phoneName);
    return path.isEmpty() ? QString() : path.chopped(1).section(QLatin1Char('/'), -1);
}

std::optional<QString> safeLocalName(const QString &name)
{
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:"));
    if (!explorer::isSingleName(name) || drive.match(name).hasMatch())
        return std::nullopt;
    return name;
}

} // namespace vandrel::brew
