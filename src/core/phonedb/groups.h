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
    QString sideLine() const { return QString::number(number) + u';' + name; }
    friend bool operator==(const Group &, const Group &) = default;
};

struct GroupList {
    QList<Group> groups;
    QStringList problems; // an entry cut short ends the reading here
};

GroupList ReadGroups(QByteArrayView file);

// The group names the address book offers: lines whose second character is ";", from the
// third character on, in order (item index = group number).
QStringList groupNamesFromSideLines(const QStringList &lines);

} // namespace vandrel::phonedb
