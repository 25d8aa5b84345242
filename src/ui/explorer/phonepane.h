#pragma once
// The phone's side of the explorer: moving through the phone's folders over OBEX or BREW, the
// listings it asks the connection for and shows, the access box and the memory label.
#include <core/explorer/direntry.h>

#include <QObject>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

namespace vandrel::link {
struct BrewFolder;
struct ObexFolder;
struct Outcome;
} // namespace vandrel::link

namespace vandrel::ui {

class ConnectionController;
class DirTableModel;
class ExplorerTab;
class Favourites;
class MainWindow;
class QuillView;

class PhonePane : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        DirTableModel *model = nullptr;
        QuillView *view = nullptr;
        QLabel *pathBar = nullptr;
        QPushButton *root = nullptr;
        QPushButton *up = nullptr;
        QPushButton *favourites = nullptr;
        QComboBox *access = nullptr;
        QLabel *memoryLabel = nullptr;
    };
    PhonePane(MainWindow &window, ExplorerTab &tab, Favourites &favourites, Widgets widgets);

    // Moves (connected in the access mode shown, no listing running).
    void enter(const QString &name);
    void goUp();            // Button5, "[..]"
    void goToRoot();        // Button3
    void openCurrentRow();  // double-click and Enter: a folder is entered, a file handed on
    // Lists the phone path again (the refresh command; back on the tab in BREW access).
    void refresh();
    // Favourites: walk to an OBEX folder (asking the memory sizes), or list a BREW folder.
    void openObexPath(const QStringList &names);
    void openBrewPath(const QString &path);
    // The access box ("OBEX", "BREW").
    void chooseAccess(int index);
    // Rows that arrived: sort, focus, select the folder left or the first row.
    void showRows(QList<explorer::DirEntry> rows);
    // The favourites' add entries follow the folder shown.
    void updateButtons();
    bool brewAccess() const;

signals:
    // A file row was opened (fetching it is the commands' business).
    void fileActivated(const QString &caption);

private:
    bool movesAllowed() const;
    QString pathBarText() const;
    void startListing();
    void empty();
    void listingStarted();
    void listingFailed(const link::Outcome &outcome);
    void showObexListing(const link::ObexFolder &folder, const QStringList &path);
    void showBrewListing(const link::BrewFolder &folder);
    void connectedChanged(bool connected);
    void tabShown(int index);

    MainWindow &m_window;
    ExplorerTab &m_tab;
    ConnectionController &m_connection;
    Favourites &m_favourites;
    Widgets m_w;
    QString m_returnName;
    bool m_listing = false;
};

} // namespace vandrel::ui
