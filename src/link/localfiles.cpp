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

UploadKind uploadKind(const QFileInfo &entry)
{
    if (entry.isSymLink() && entry.isDir())
        return UploadKind::Skip;
    if (entry.isDir())
        return UploadKind::Folder;
    // A link to a regular file is read through; anything that is not a regular file is not.
    return entry.isFile() ? UploadKind::File : UploadKind::Skip;
}

QString skipReason(const QFileInfo &entry)
{
    const QString name = QDir::toNativeSeparators(entry.filePath());
    if (entry.isSymLink() && entry.isDir())
        return QStringLiteral("%1 is a link to a folder and was not followed.").arg(name);
    if (!entry.exists())
        return QStringLiteral("%1 does not exist.").arg(name);
    return QStringLiteral("%1 is not a regular file (a FIFO, socket or device) and was passed over.").arg(name);
}

QFileInfoList entriesToUpload(const QString &folder)
{
    return QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                      QDir::DirsFirst | QDir::Name);
}

QString cleanLocalPath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace vandrel::link
