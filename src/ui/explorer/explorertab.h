#pragma once
// The "Průzkumník" tab: its layout (the two panes with their path bars, buttons, boxes and
// labels, the six command buttons below), which pane is active, the keys, drops and favourites.
// What each pane shows and how it moves is ComputerPane's and PhonePane's.
#include "computerpane.h"
#include "phonepane.h"

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

namespace vandrel::ui {

class ComputerPane;
class DirTableModel;
class Favourites;
class MainWindow;
class PhonePane;
class QuillView;

class ExplorerTab : public QWidget {
    Q_OBJECT
public:
    enum class Pane { Computer, Phone };

    explicit ExplorerTab(MainWindow &window);
    ~ExplorerTab() override;

    // Attaches the tab's start-up work to the window's steps (done by the constructor).
    void attachLifecycle();

    ComputerPane &computer() const { return *m_computer; }
    PhonePane &phone() const { return *m_phone; }
    QString computerPath() const;
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

    // A click on either path bar (sPCCesta, sMOCesta) makes the computer pane the active one.
    void activateComputerPane();
    void activatePhonePane();

    // A drop of desktop files onto the phone pane.
    void dropOnPhonePane(const QStringList &paths);
    // Takes the dropped list (captions) while the computer path is the drop's folder.
    using DropHandler = std::function<void(const QStringList &droppedList)>;
    void setDropHandler(DropHandler handler) { m_dropHandler = std::move(handler); }
    // The connection is gone: the computer pane is listed again.
    void phoneDisconnected();

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
    void triggerAction(const char *name);
    QString message(settings::Msg n, const char *builtIn) const;

    MainWindow &m_window;
    Pane m_active = Pane::Computer;
    bool m_started = false;
    DropHandler m_dropHandler;
    Favourites *m_favourites = nullptr;
    ComputerPane *m_computer = nullptr;
    PhonePane *m_phone = nullptr;

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

// Selects one row of a pane as its current row and shows it.
void selectViewRow(QTableView *view, int row);

} // namespace vandrel::ui
