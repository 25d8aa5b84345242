#pragma once
// What the explorer tests read off a pane: its captions, and the selected current row.
#include <ui/explorer/dirtablemodel.h>

#include <QStringList>
#include <QTableView>

namespace explorertest {

inline QStringList captions(const vandrel::ui::DirTableModel *m)
{
    QStringList out;
    for (int i = 0; i < m->rowCount(); ++i)
        out << m->index(i, 0).data().toString();
    return out;
}

// The caption of the current row when it is selected; empty otherwise.
inline QString currentCaption(const QTableView *view)
{
    const QModelIndex i = view->currentIndex();
    if (!i.isValid() || !view->selectionModel()->isRowSelected(i.row(), {}))
        return QString();
    return view->model()->index(i.row(), 0).data().toString();
}

} // namespace explorertest
