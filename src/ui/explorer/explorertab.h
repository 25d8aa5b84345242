#pragma once
#include <link/brewsession.h>
// The "Průzkumník" tab: the computer pane on the left, the phone pane on the right, their path
// bars, root, parent and favourites buttons, the drive and access boxes, the free-space and
// memory labels, and the six command buttons below. It holds the computer path and the folder
// to select after going up; the OBEX phone path lives with the connection.
#include <core/explorer/direntry.h>
#include <core/settings/messageids.h>

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <functional>

class QComboBox;
class QFontMetrics;
class QLabel;
class QPushButton;
class QTableView;

namespace vandrel::link {
struct ObexFolder;
struct Outcome;
} // namespace vandrel::link

namespace vandrel::ui {

class ConnectionController;
class DirTableModel;
class Favourites;
class MainWindow;
class QuillView;

class ExplorerTab : public QWidget {
    Q_OBJECT
public:
    enum class Pane { Computer, Phone };

    explicit ExplorerTab(MainWindow &window);
    ~ExplorerTab() override;

    // Attaches the tab's start-up work to the window's steps (done by the constructor).
    void attachLifecycle();

    QString computerPath() const { return m_pcPath; }
    Pane activePane() const { return m_active; }
    QTableView *computerView() const;
    QuillView *phoneView() const { return m_phoneView; }
    DirTableModel *computerModel() const { return m_pcModel; }
    DirTableModel *phoneModel() const { return m_phoneModel; }
    Favourites *favourites() const { return m_favourites; }
    // The captions of a pane's selected rows, in row order.
    QStringList selectedCaptions(Pane pane) const;
    // A row a transfer has handled is deselected; a cancelled transfer deselects all.
    void deselect(Pane pane, const QString &caption);
    void clearSelections();

    // Lists a computer folder; a path ending in "/.." lists the parent and selects the folder left.
    void PCFolderListing(const QString &path);
    // The phone pane's rows have arrived: sort, focus, select the folder left or the first row.
    void phoneListingCompletion(QList<explorer::DirEntry> rows);

    // Moves of the computer pane.
    void computerRoot();   // Button1
    void computerUp();     // Button2, Backspace, "[..]"
    void listPCDblClick(); // double-click and Enter
    // Moves of the phone pane (connected in the access mode shown, no listing running).
    void phoneEnter(const QString &name);
    void phoneUp();        // Button5, "[..]"
    void phoneRoot();      // Button3
    void ListMODblClick(); // double-click and Enter
    // Lists the phone path again (the refresh command; back on the tab in BREW access).
    void refreshPhone();
    // Favourites: walk to an OBEX folder (asking the memory sizes), or list a BREW folder.
    void openPhonePath(const QStringList &obexNames);
    void openBrewPath(const QString &path);

    // The drive box: mounted volumes, desktop and documents; choosing one lists it.
    void fillDriveBox();
    void Combo1Select(int index);
    // The access box ("OBEX", "BREW").
    void Combo2Change(int index);
    // The free/total label of the computer pane's drive.
    void updateFreeSpace(bool rounded = false);

    // sPCCestaClick / sMOCestaClick.
    void activateComputerPane();
    void activatePhonePane();

    // A drop of desktop files onto the phone pane.
    void ListMODropFiles(const QStringList &paths);
    // Takes the dropped list (captions) while the computer path is the drop's folder.
    using DropHandler = std::function<void(const QStringList &droppedList)>;
    void setDropHandler(DropHandler handler) { m_dropHandler = std::move(handler); }

    // FormResize's column rule: "Jméno" takes what the other two columns leave.
    void relayout();
    static int nameColumnWidth(int paneWidth, bool overflowing, int dateWidth);
    static int dateColumnWidth(const QFontMetrics &metrics);

signals:
    // A phone file row was double-clicked (fetching it comes with the commands).
    void phoneFileActivated(const QString &caption);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void wireFavourites();
    void applyCaptions();
    void applyIcons();
    void setPathBarColours();
    void selectRow(QTableView *view, int row);
    void triggerAction(const char *name);
    void showObexListing(const link::ObexFolder &folder, const QStringList &path);
    void showBrewListing(const link::BrewFolder &folder);
    void phoneListingStarted();
    void phoneListingFailed(const link::Outcome &outcome);
    bool brewAccess() const;
    QString phonePathBar() const;
    void connectedChanged(bool connected);
    void tabShown(int index);
    bool phoneMovesAllowed() const;
    void startPhoneListing();
    void emptyPhonePane();
    void updatePhoneButtons();
    QString message(settings::Msg n, const char *builtIn) const;

    MainWindow &m_window;
    ConnectionController &m_connection;
    QString m_pcPath;
    QString m_pcReturnName;
    QString m_phoneReturnName;
    Pane m_active = Pane::Computer;
    bool m_started = false;
    bool m_phoneListing = false;
    DropHandler m_dropHandler;
    Favourites *m_favourites = nullptr;

    DirTableModel *m_pcModel = nullptr;
    DirTableModel *m_phoneModel = nullptr;
    QTableView *m_pcView = nullptr;
    QuillView *m_phoneView = nullptr;
    QLabel *m_pcBar = nullptr;
    QLabel *m_phoneBar = nullptr;
    QComboBox *m_drives = nullptr;
    QComboBox *m_access = nullptr;
    QLabel *m_freeLabel = nullptr;
    QLabel *m_memoryLabel = nullptr;
    QPushButton *m_pcRoot = nullptr;
    QPushButton *m_pcUp = nullptr;
    QPushButton *m_phoneRoot = nullptr;
    QPushButton *m_phoneUp = nullptr;
    QPushButton *m_pcFavourites = nullptr;
    QPushButton *m_phoneFavourites = nullptr;
    QList<QPushButton *> m_commands;
};

} // namespace vandrel::ui
