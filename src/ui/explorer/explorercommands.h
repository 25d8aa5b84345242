#pragma once
// The explorer's commands on the active pane: refresh, edit, rename, new folder, delete, copy,
// opening phone files, the popup menu and its shortcuts. The computer's files are changed here;
// phone work goes to the transfer window of the access mode.
#include <link/transfer.h>

#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class QMenu;
class QTableView;

namespace vandrel::ui {

class MainWindow;
class ExplorerTab;
enum class EditMode;

class ExplorerCommands : public QObject {
    Q_OBJECT
public:
    ExplorerCommands(MainWindow &window, ExplorerTab &tab);

    QMenu *popup() const;

public slots:
    void refresh();                                   // F5, sbNacist
    void install();                                   // "Instalovat" of the computer pane
    void edit();                                      // F4, sbEditovat
    void rename();                                    // F6, sbPrejmenovat
    void newFolder();                                 // F7, sbAdresar
    void remove();                                    // F8 and Delete, sbSmazat
    void copy();                                      // Ctrl+T, sbKopirovat
    void copyDropped(const QStringList &droppedList); // files dropped onto the phone pane
    void openPhoneFile(const QString &caption);       // double-click or Enter on a phone file
    // prepareExplorerPopup: "Instalovat" only for installable files of the focused computer pane.
    void prepareExplorerPopup();
    // The computer delete after its question was answered Yes.
    void removeComputerRows(const QStringList &captions);

private:
    void upload(QStringList captions, const QString &localFolder);
    void runAfterYes(link::TransferRequest request);
    void showPopup(QTableView *view, const QPoint &pos);
    bool brewAccess() const;
    // Starts the user's editor; a changed file is followed up by its mode.
    void startEdit(EditMode mode, const QString &file, const QString &folder);
    // Open and free; a busy port is said so.
    bool phonePortReady(); // the port of the access mode shown
    // An operation on rows of the phone folder shown, in the access mode shown.
    link::TransferRequest phoneRequest(link::TransferOp op, const QStringList &captions) const;
    // The work-folder copy of a phone file; nothing (and a message) for an unsafe name.
    std::optional<QString> workCopyOf(const QString &caption);
    // Fetches a BREW file of the pane's folder into the work folder, then `then` with its path.
    void fetchBrewFile(const QString &caption, std::function<void(const QString &)> then);

    MainWindow &m_window;
    ExplorerTab &m_tab;
};

} // namespace vandrel::ui
