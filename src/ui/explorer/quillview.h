#pragma once
// TQuillView: the phone pane's table, which accepts files dragged from the desktop and reports
// the dropped paths in the order the desktop gave them.
#include <QStringList>
#include <QTableView>

namespace vandrel::ui {

class QuillView : public QTableView {
    Q_OBJECT
public:
    explicit QuillView(QWidget *parent = nullptr);

    // Registers the view as a drop target (the main window does it at creation).
    void acceptFileDrops();

    // The local paths a drop carries; empty when it carries anything else.
    static QStringList droppedPaths(const QMimeData *data);

signals:
    void filesDropped(const QStringList &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

} // namespace vandrel::ui
