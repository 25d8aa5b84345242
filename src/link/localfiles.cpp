#include "localfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vandrel::link {

bool isWriteProtected(const QString &path)
{
    const QFileInfo info(path);
    // The owner's write bit, not access(): the superuser may write anything, yet the mark stands.
    return info.exists() && !info.isSymLink() && !(info.permissions() & QFile::WriteOwner);
}

bool removeLocalFile(const QString &path)
{
    if (isWriteProtected(path))
        return false;
    return QFile::remove(path);
}

bool removeLocalTree(const QString &folder)
{
    const QFileInfo self(folder);
    if (self.isSymLink())
        return QFile::remove(folder); // the link goes, never what it points at
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::DirsFirst);
    for (const QFileInfo &e : entries) {
        const bool gone = e.isDir() && !e.isSymLink() ? removeLocalTree(e.filePath()) : removeLocalFile(e.filePath());
        if (!gone)
            return false;
    }
    return QDir().rmdir(folder);
}

bool renameLocal(const QString &from, const QString &to)
{
    if (from == to || QFileInfo(to).exists() || QFileInfo(to).isSymLink())
        return false;
    return QDir().rename(from, to);
}

bool makeLocalFolder(const QString &path)
{
    return QDir().mkdir(path);
}

} // namespace vandrel::link
