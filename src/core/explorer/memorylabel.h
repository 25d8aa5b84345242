#pragma once
// The phone pane's memory label: "<free words> 1 024 k <second words> 2 048 k ".
#include <QString>

namespace vandrel::explorer {

// `freeWords` and `secondWords` are messages 32 and 33; sizes in bytes, shown in kilobytes.
QString memoryLabel(const QString &freeWords, quint32 freeBytes, const QString &secondWords, quint32 secondBytes);
// The first half alone (only the free space is known yet).
QString memoryLabelFree(const QString &freeWords, quint32 freeBytes);

} // namespace vandrel::explorer
