#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace vandrel::link {

QString dataFolder()
{
    QString dir = qEnvironmentVariable("VANDREL_HOME");
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (dir.isEmpty())
        dir = QDir::homePath() + QStringLiteral("/.vandrel-controller");
    QDir().mkpath(dir);
    return QDir(dir).absolutePath();
}

QString dataFile(const QString &name)
{
    return QDir(dataFolder()).filePath(name);
}

QStringList languageFolderCandidates()
{
    QStringList dirs;
    if (const QString home = qEnvironmentVariable("VANDREL_HOME"); !home.isEmpty())
        dirs << home;
    const QString exeDir = QCoreApplication::applicationDirPath();
    dirs << exeDir;
    dirs << QDir(exeDir).absoluteFilePath(QStringLiteral("../share/vandrel-controller"));
    dirs << QStandardPaths::locateAll(QStandardPaths::AppDataLocation, QString(), QStandardPaths::LocateDirectory);
    return dirs;
}

QString workFolder()
{
    const QString dir = QDir(QDir::tempPath()).filePath(QStringLiteral("VDLC"));
    QDir().mkpath(dir);
    return dir;
}

} // namespace vandrel::link
