#include "contacttablemodel.h"

#include <core/phonebook/addressbook.h>

namespace vandrel::ui {

void ContactTableModel::setContacts(const phonebook::ContactList &contacts)
{
    beginResetModel();
    m_rows.clear();
    for (const auto &c : contacts)
        m_rows.append(phonebook::addressListRow(c));
    endResetModel();
}

int ContactTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ContactTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant ContactTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid) || role != Qt::DisplayRole)
        return {};
    return m_rows.at(index.row()).value(index.column());
}

QVariant ContactTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char16_t *const titles[kColumnCount] = {u"Příjmení, jméno", u"Soukromý mobil", u"E-mail", u"Ulice",
                                                         u"Město",           u"PSČ",            u"Stát",   u"Narozeniny"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
        return {};
    return QString::fromUtf16(titles[section]);
}

} // namespace vandrel::ui
