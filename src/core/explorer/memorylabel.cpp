#include "memorylabel.h"

#include "core/text/format.h"

namespace vandrel::explorer {

QString memoryLabelFree(const QString &freeWords, quint32 freeBytes)
{
    return freeWords + text::groupSize(freeBytes / 1024) + QStringLiteral(" k ");
}

QString memoryLabel(const QString &freeWords, quint32 freeBytes, const QString &secondWords, quint32 secondBytes)
{
    return memoryLabelFree(freeWords, freeBytes) + secondWords + text::groupSize(secondBytes / 1024) +
           QStringLiteral(" k ");
}

} // namespace vandrel::explorer
