#include "smstablemodel.h"

#include <algorithm>
#include <numeric>

namespace vandrel::ui {

int SmsTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int SmsTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant SmsTableModel::data(const QModelIndex &index, int role) const
{
    const sms::SmsRow *r = index.isValid() ? row(index.row()) : nullptr;
    if (!r || role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case IndexColumn: return r->indexText();
    case DateColumn: return r->dateText();
    case NameColumn: return r->name;
    case NumberColumn: return r->number;
    case TextColumn: {
        // One line per row in the list; the preview shows the breaks.
        QString t = r->text;
        t.replace(u'\n', u' ');
        return t.remove(u'\r');
    }
    default: return {};
    }
}

QVariant SmsTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return m_headers.value(section);
}

void SmsTableModel::setHeaders(const QStringList &five)
{
    m_headers = five;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void SmsTableModel::setRows(QList<sms::SmsRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void SmsTableModel::sort(int column, Qt::SortOrder)
{
    const auto text = [column](const sms::SmsRow &r) {
        return column == NameColumn ? r.name : column == NumberColumn ? r.number : r.text;
    };
    const auto before = [&](const sms::SmsRow &a, const sms::SmsRow &b) {
        switch (column) {
        case IndexColumn: return a.indexes.value(0) < b.indexes.value(0);
        case DateColumn: {
            const bool da = a.stamp.when.isValid(), db = b.stamp.when.isValid();
            if (da != db)
                return da;
            return da && a.stamp.when < b.stamp.when;
        }
        default: return QString::localeAwareCompare(text(a).toCaseFolded(), text(b).toCaseFolded()) < 0;
        }
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList persistent = persistentIndexList();
    QList<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return before(m_rows[a], m_rows[b]); });
    QList<sms::SmsRow> sorted;
    QList<int> newRowOf(m_rows.size());
    for (int i = 0; i < order.size(); ++i) {
        sorted << m_rows[order[i]];
        newRowOf[order[i]] = i;
    }
    m_rows = std::move(sorted);
    QModelIndexList after;
    for (const QModelIndex &i : persistent)
        after << index(newRowOf.value(i.row()), i.column());
    changePersistentIndexList(persistent, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

} // namespace vandrel::ui
