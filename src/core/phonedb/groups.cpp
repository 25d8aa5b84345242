#include "groups.h"

#include "accounts.h"
#include "core/text/cp1250.h"

namespace vandrel::phonedb {

GroupList ReadGroups(QByteArrayView file, const QString &fileName)
{
    static const QByteArray entryMark("\x00\x04\x04", 3);
    static const QByteArray numberMark("\x03\x01", 2);
    GroupList list;
    if (file.size() > kMaxDatabaseFileSize) {
        list.problems.append(QStringLiteral("%1: %2 bytes is too large for a phone database file (at most %3)")
                                 .arg(fileName)
                                 .arg(file.size())
                                 .arg(kMaxDatabaseFileSize));
        return list;
    }
    QByteArrayView rest = file;
    while (true) {
        const qsizetype s = rest.indexOf(entryMark);
        if (s < 0)
            break;
        const QString where = QStringLiteral("%1, group entry %2").arg(fileName).arg(list.groups.size() + 1);
        if (s + 3 >= rest.size()) {
            list.problems.append(where + QStringLiteral(": the file is cut short, it ends inside the entry"));
            break;
        }
        const int m = static_cast<unsigned char>(rest[s + 3]);
        if (m < 2) {
            list.problems.append(where + QStringLiteral(": its length byte %1 leaves no room for a name").arg(m));
            break;
        }
        if (s + 6 + (m - 2) > rest.size()) {
            list.problems.append(where + QStringLiteral(": the file is cut short, the name runs past its end"));
            break;
        }
        const qsizetype n = rest.indexOf(numberMark);
        if (n < 0 || n + 2 >= rest.size()) {
            list.problems.append(where + QStringLiteral(": the file is cut short, the group number is missing"));
            break;
        }
        list.groups.append({static_cast<unsigned char>(rest[n + 2]), text::fromCp1250(rest.sliced(s + 6, m - 2))});
        rest = rest.sliced(qMin(rest.size(), s + m + 7));
    }
    return list;
}

QStringList GroupList::sideLines() const
{
    QStringList lines;
    for (const Group &g : groups)
        lines.append(g.sideLine());
    return lines;
}

QStringList groupNamesFromSideLines(const QStringList &lines)
{
    QStringList names;
    for (const QString &l : lines)
        if (l.size() >= 2 && l[1] == u';')
            names.append(l.mid(2));
    return names;
}

} // namespace vandrel::phonedb
