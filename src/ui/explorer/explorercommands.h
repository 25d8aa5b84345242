#pragma once
// The explorer's copy command over OBEX, both directions, and the copy a drop onto the phone
// pane starts: the preconditions, the question, and the transfer window.
#include <QObject>
#include <QStringList>

namespace vandrel::ui {

class MainWindow;
class ExplorerTab;
struct TransferRequest;

class ExplorerCommands : public QObject {
    Q_OBJECT
public:
    ExplorerCommands(MainWindow &window, ExplorerTab &tab);

public slots:
    void copy();                                      // Ctrl+T, sbKopirovat
    void copyDropped(const QStringList &droppedList); // files dropped onto the phone pane

private:
    void upload(QStringList captions, const QString &localFolder);
    void runAfterYes(TransferRequest request);

    MainWindow &m_window;
    ExplorerTab &m_tab;
};

} // namespace vandrel::ui
