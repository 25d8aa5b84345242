#include "dirtablemodel.h"

#include <QFileInfo>

namespace vandrel::ui {

DirTableModel::DirTableModel(bool dateRightAligned, QObject *parent)
    : QAbstractTableModel(parent), m_dateRight(dateRightAligned),
      m_headers{QString::fromUtf8("Jméno"), QStringLiteral("Velikost"), QStringLiteral("Datum")}
{
}

DirTableModel::~DirTableModel() = default;

int DirTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DirTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DirTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const explorer::DirEntry &e = m_rows.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NameColumn:
            return e.caption();
        case SizeColumn:
            return e.sizeText;
        case DateColumn:
            return e.dateText;
        }
        break;
    case Qt::TextAlignmentRole: {
        const bool right = index.column() == SizeColumn || (index.column() == DateColumn && m_dateRight);
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    case Qt::DecorationRole:
        if (index.column() != NameColumn || !m_icons || m_folder.isEmpty())
            return {};
        if (auto it = m_iconCache.constFind(index.row()); it != m_iconCache.cend())
            return *it;
        {
            const QIcon icon = m_icons->icon(QFileInfo(m_folder + e.name));
            m_iconCache.insert(index.row(), icon);
            return icon;
        }
    default:
        break;
    }
    return {};
}

QVariant DirTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return m_headers.value(section);
    if (role == Qt::TextAlignmentRole) {
        const bool right = section == SizeColumn || (section == DateColumn && m_dateRight);
        return QVariant::fromValue(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

void DirTableModel::setRows(QList<explorer::DirEntry> rows, const QString &folder)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_folder = folder;
    m_iconCache.clear();
    endResetModel();
}

void DirTableModel::clear() { setRows({}); }

const explorer::DirEntry *DirTableModel::entry(int row) const
{
    return row >= 0 && row < m_rows.size() ? &m_rows.at(row) : nullptr;
}

QString DirTableModel::caption(int row) const
{
    const explorer::DirEntry *e = entry(row);
    return e ? e->caption() : QString();
}

int DirTableModel::rowOf(const QString &caption) const
{
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows.at(i).caption() == caption)
            return i;
    return -1;
}

void DirTableModel::setHeaders(const QStringList &three)
{
    for (int i = 0; i < ColumnCount; ++i)
        if (!three.value(i).isEmpty())
            m_headers[i] = three.at(i);
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

void DirTableModel::setIconsShown(bool shown)
{
    if (shown == iconsShown())
        return;
    m_icons = shown ? std::make_unique<QFileIconProvider>() : nullptr;
    m_iconCache.clear();
    if (!m_rows.isEmpty())
        emit dataChanged(index(0, NameColumn), index(int(m_rows.size()) - 1, NameColumn), {Qt::DecorationRole});
}

} // namespace vandrel::ui
