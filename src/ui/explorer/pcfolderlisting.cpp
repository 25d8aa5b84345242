#include "pcfolderlisting.h"

#include <core/explorer/pcpath.h>
#include <core/text/format.h>

#include <QDir>
#include <QFileInfo>

namespace vandrel::ui {

QList<explorer::DirEntry> computerFolderRows(const QString &folder)
{
    QList<explorer::DirEntry> rows;
    QDir dir(folder);
    const QFileInfo self(folder);
    if (!self.isDir() || !self.isReadable() || !self.isExecutable())
        return rows;
    if (!explorer::isPcRoot(folder) && !dir.isRoot())
        rows.append(explorer::DirEntry::folder(QStringLiteral(".."),
                                               text::dateTimeText(QFileInfo(folder + QStringLiteral("..")).lastModified().toLocalTime())));
    // Without QDir::Hidden the system leaves out what it calls hidden; names starting with "."
    // are hidden everywhere. Sockets, devices and dangling links are shown, as system files are.
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QFileInfo &info : entries) {
        const QString name = info.fileName();
        if (name.startsWith(QLatin1Char('.')))
            continue;
        const QString date = text::dateTimeText(info.lastModified().toLocalTime());
        if (info.isDir())
            rows.append(explorer::DirEntry::folder(name, date));
        else
            rows.append(explorer::DirEntry::file(name, QString::number(info.size()), date));
    }
    return rows;
}

} // namespace vandrel::ui
