#pragma once
// The phone's contact groups ("GrpDList ver 01.db") and the side list the address book
// takes its group names from.
#include <QByteArray>
#include <QList>
#include <QStringList>

namespace vandrel::phonedb {

inline const QString kGroupFileName = QStringLiteral("GrpDList ver 01.db");

struct Group {
    int number = 0;
    QString name;
    QString listItem() const { return QString::number(number) + QStringLiteral(": ") + name; }
    // A line break inside a name would split the side file's line and move every later group.
    QString sideLine() const
    {
        QString n = name;
        n.replace(u'\r', u' ').replace(u'\n', u' ');
        return QString::number(number) + u';' + n;
    }
    friend bool operator==(const Group &, const Group &) = default;
};

struct GroupList {
    QList<Group> groups;
    QStringList problems; // the file named; an entry cut short ends the reading there
    // The side file's lines ("grp.vdl"), in file order.
    QStringList sideLines() const;
};

// Every entry up to the end or up to the first one cut short. A file larger than
// kMaxDatabaseFileSize gives no groups and a problem.
GroupList ReadGroups(QByteArrayView file, const QString &fileName = kGroupFileName);

// The group names the address book offers: lines whose second character is ";", from the
// third character on, in order (item index = group number).
QStringList groupNamesFromSideLines(const QStringList &lines);

} // namespace vandrel::phonedb
