#include "groups.h"

#include "core/text/cp1250.h"

namespace vandrel::phonedb {

GroupList ReadGroups(QByteArrayView file)
{
    static const QByteArray entryMark("\x00\x04\x04", 3);
    static const QByteArray numberMark("\x03\x01", 2);
    GroupList list;
    QByteArrayView rest = file;
    while (true) {
        const qsizetype s = rest.indexOf(entryMark);
        if (s < 0)
            break;
        const QString where = QStringLiteral("group entry %1").arg(list.groups.size() + 1);
        if (s + 3 >= rest.size()) {
            list.problems.append(where + QStringLiteral(": the file ends inside it"));
            break;
        }
        const int m = static_cast<unsigned char>(rest[s + 3]);
        if (m < 2 || s + 6 + (m - 2) > rest.size()) {
            list.problems.append(where + QStringLiteral(": its name runs past the end of the file"));
            break;
        }
        const qsizetype n = rest.indexOf(numberMark);
        if (n < 0 || n + 2 >= rest.size()) {
            list.problems.append(where + QStringLiteral(": no group number"));
            break;
        }
        list.groups.append({static_cast<unsigned char>(rest[n + 2]), text::fromCp1250(rest.sliced(s + 6, m - 2))});
        rest = rest.sliced(qMin(rest.size(), s + m + 7));
    }
    return list;
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
