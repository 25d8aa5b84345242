#pragma once
// The computer's side of the explorer: the folder shown and moving through folders, the drive
// box and the free-space label beside it.
#include <QObject>
#include <QString>

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace vandrel::ui {

class DirTableModel;
class ExplorerTab;
class MainWindow;

class ComputerPane : public QObject {
    Q_OBJECT
public:
    struct Widgets {
        DirTableModel *model = nullptr;
        QTableView *view = nullptr;
        QLabel *pathBar = nullptr;
        QPushButton *root = nullptr;
        QPushButton *up = nullptr;
        QComboBox *drives = nullptr;
        QLabel *freeLabel = nullptr;
    };
    ComputerPane(MainWindow &window, ExplorerTab &tab, Widgets widgets);

    // The folder shown, with a trailing separator.
    QString path() const { return m_path; }
    // Takes a folder as the one shown without listing it (the remembered one at start, the
    // folder of a drop for the copy it starts).
    void setPath(const QString &path);

    // Lists a folder; a path ending in "/.." lists the parent and selects the folder left.
    void list(const QString &path);
    void goToRoot();        // Button1
    void goUp();            // Button2, Backspace, "[..]"
    void openCurrentRow();  // double-click and Enter: a folder is entered, a file opened
    bool atRoot() const;

    // The drive box: mounted volumes, desktop and documents; choosing one lists it.
    void fillDriveBox();
    void selectDrive(int index);
    // The free/total label of the shown folder's drive.
    void updateFreeSpace(bool rounded = false);

private:
    MainWindow &m_window;
    ExplorerTab &m_tab;
    Widgets m_w;
    QString m_path;
};

} // namespace vandrel::ui
