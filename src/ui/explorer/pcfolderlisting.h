#pragma once
// The computer pane's rows of one folder: folders and files with their sizes and dates,
// hidden entries left out, "[..]" everywhere but at a root.
#include <core/explorer/direntry.h>

#include <QList>
#include <QString>

namespace vandrel::ui {

// The unsorted rows of `folder` (ending in "/"). A folder that cannot be read gives no rows.
QList<explorer::DirEntry> computerFolderRows(const QString &folder);

} // namespace vandrel::ui
