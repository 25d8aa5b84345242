#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

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

QString privateFolderProblem(const QString &folder, uint owner)
{
    const QFileInfo info(folder);
    if (info.isSymLink() || !info.isDir())
        return QStringLiteral("%1 is not a folder.").arg(QDir::toNativeSeparators(folder));
#ifdef Q_OS_UNIX
    if (info.ownerId() != owner)
        return QStringLiteral("The folder %1 belongs to another user; files from the phone are not put there.")
            .arg(QDir::toNativeSeparators(folder));
    const auto open = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther
        | QFileDevice::WriteOther | QFileDevice::ExeOther;
    if (info.permissions() & open)
        return QStringLiteral("The folder %1 is open to other users; files from the phone are not put there.")
            .arg(QDir::toNativeSeparators(folder));
#else
    Q_UNUSED(owner)
#endif
    return {};
}

QString workFolder(QString *error)
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (base.isEmpty() || !QFileInfo(base).isDir())
        base = QDir::tempPath();
    const QString dir = QDir(base).filePath(QStringLiteral("VDLC"));
    if (!QFileInfo::exists(dir) && !QFileInfo(dir).isSymLink()) {
        QDir().mkpath(base);
        // Made private from the start: no moment in which another user could get in.
#ifdef Q_OS_UNIX
        ::mkdir(QFile::encodeName(dir).constData(), 0700);
#else
        QDir().mkdir(dir);
#endif
    }
#ifdef Q_OS_UNIX
    const uint me = ::getuid();
#else
    const uint me = 0;
#endif
    if (const QString problem = privateFolderProblem(dir, me); !problem.isEmpty()) {
        if (error)
            *error = problem;
        return {};
    }
    return dir;
}

} // namespace vandrel::link
