#pragma once
// What the explorer tests read off a pane: its captions, and the selected current row.
#include <ui/explorer/dirtablemodel.h>
#include <ui/shell.h>

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

// While it lives, files handed to the desktop's program are recorded instead of opened.
struct OpenedFiles {
    QStringList paths;
    vandrel::ui::ShellServices saved = vandrel::ui::ShellServices::instance();
    OpenedFiles()
    {
        vandrel::ui::ShellServices::instance().openAssociated = [this](const QString &path) {
            paths << path;
            return true;
        };
    }
    ~OpenedFiles() { vandrel::ui::ShellServices::instance() = saved; }
    OpenedFiles(const OpenedFiles &) = delete;
    OpenedFiles &operator=(const OpenedFiles &) = delete;
};

} // namespace explorertest
