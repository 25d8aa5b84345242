#include "phonepane.h"

#include "dirtablemodel.h"
#include "explorertab.h"
#include "favourites.h"
#include "quillview.h"

#include "../connection.h"
#include "../mainwindow.h"

#include <core/explorer/commandrules.h>
#include <core/explorer/pcpath.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

namespace vandrel::ui {

using explorer::DirEntry;

PhonePane::PhonePane(MainWindow &window, ExplorerTab &tab, Favourites &favourites, Widgets widgets)
    : QObject(&tab), m_window(window), m_tab(tab), m_connection(window.connection()), m_favourites(favourites),
      m_w(widgets)
{
    connect(m_w.root, &QPushButton::clicked, this, &PhonePane::goToRoot);
    connect(m_w.up, &QPushButton::clicked, this, &PhonePane::goUp);
    connect(m_w.view, &QTableView::doubleClicked, this, &PhonePane::openCurrentRow);
    connect(m_w.access, &QComboBox::activated, this, &PhonePane::chooseAccess);

    connect(&m_connection, &ConnectionController::obexListing, this, &PhonePane::showObexListing);
    connect(&m_connection, &ConnectionController::brewListing, this, &PhonePane::showBrewListing);
    connect(&m_connection, &ConnectionController::obexListingStarted, this, &PhonePane::listingStarted);
    connect(&m_connection, &ConnectionController::obexListingFailed, this, &PhonePane::listingFailed);
    connect(&m_connection, &ConnectionController::brewListingStarted, this, &PhonePane::listingStarted);
    connect(&m_connection, &ConnectionController::brewListingFailed, this, &PhonePane::listingFailed);
    connect(&m_connection, &ConnectionController::brewConnected, this, &PhonePane::refresh);
    connect(&m_connection, &ConnectionController::memoryLabel, m_w.memoryLabel, &QLabel::setText);
    connect(&m_connection, &ConnectionController::connectedChanged, this, &PhonePane::connectedChanged);
    // After the connection's own tab rules (connected earlier, so they run first).
    connect(window.tabs(), &QTabWidget::currentChanged, this, &PhonePane::tabShown);
}

bool PhonePane::brewAccess() const { return m_connection.brewAccess(); }

bool PhonePane::movesAllowed() const { return m_connection.phonePortOpen() && !m_listing; }

QString PhonePane::pathBarText() const
{
    return brewAccess() ? m_connection.brewPath() : explorer::obexPathBar(m_connection.obexPath());
}

void PhonePane::empty() { m_w.model->clear(); }

void PhonePane::chooseAccess(int index)
{
    const AccessMode wanted = index == 1 ? AccessMode::Brew : AccessMode::Obex;
    m_connection.chooseAccessMode(wanted);
    // Disconnected, the next connection reads the box.
    if (!m_connection.isConnected() || wanted == m_connection.accessMode())
        return;
    m_connection.setAccessMode(wanted);
    link::PhoneLink &link = m_window.phoneLink();
    (wanted == AccessMode::Brew ? link.modemPort() : link.diagPort())->close();
    empty();
    m_w.memoryLabel->clear(); // the other mode's figure comes with its listing
    m_connection.toggleConnection();
}

void PhonePane::updateButtons()
{
    const bool below = brewAccess() ? !m_connection.brewPath().isEmpty() : !m_connection.obexPath().isEmpty();
    m_w.root->setEnabled(below);
    m_w.up->setEnabled(below);
    // The phone's root is no favourite: its path would be empty.
    m_favourites.addAction(Favourites::List::Obex)->setEnabled(!brewAccess() && below);
    m_favourites.addAction(Favourites::List::Brew)->setEnabled(brewAccess() && below);
}

void PhonePane::startListing()
{
    m_w.pathBar->setText(pathBarText());
    updateButtons();
    empty();
    m_w.view->setCursor(Qt::WaitCursor);
    if (brewAccess())
        m_connection.listBrewFolder();
    else
        m_connection.listObexFolder();
}

void PhonePane::refresh()
{
    if (movesAllowed())
        startListing();
}

void PhonePane::openObexPath(const QStringList &names)
{
    if (brewAccess() || !movesAllowed())
        return;
    m_connection.obexPath() = names;
    // The walk there also asks the memory sizes for the label.
    m_connection.sizeQueryPending() = true;
    m_returnName.clear();
    startListing();
}

void PhonePane::openBrewPath(const QString &path)
{
    if (!brewAccess() || !movesAllowed())
        return;
    m_connection.brewPath() = path;
    m_returnName.clear();
    startListing();
}

void PhonePane::enter(const QString &name)
{
    if (!movesAllowed() || name.isEmpty())
        return;
    if (brewAccess())
        m_connection.brewPath() += name + QLatin1Char('/');
    else
        m_connection.obexPath().append(name);
    m_returnName.clear();
    startListing();
}

void PhonePane::goUp()
{
    if (!movesAllowed())
        return;
    if (brewAccess()) {
        QString &path = m_connection.brewPath();
        if (path.isEmpty())
            return;
        const explorer::BrewUp up = explorer::brewPathUp(path);
        path = up.path;
        m_returnName = up.returnName;
        startListing();
        return;
    }
    QStringList &path = m_connection.obexPath();
    if (path.isEmpty())
        return;
    m_returnName = path.takeLast();
    if (path.isEmpty())
        m_w.memoryLabel->clear();
    else if (path.size() == 1)
        m_connection.sizeQueryPending() = true;
    startListing();
}

void PhonePane::goToRoot()
{
    if (!movesAllowed())
        return;
    m_w.memoryLabel->clear();
    m_w.pathBar->clear();
    m_tab.activatePhonePane();
    if (brewAccess())
        m_connection.brewPath().clear();
    else
        m_connection.obexPath().clear();
    m_returnName.clear();
    startListing();
}

void PhonePane::openCurrentRow()
{
    const QModelIndex current = m_w.view->currentIndex();
    if (!current.isValid() || !m_w.view->selectionModel()->isRowSelected(current.row(), {}))
        return;
    const DirEntry *e = m_w.model->entry(current.row());
    if (!e)
        return;
    if (!e->isFolder) {
        emit fileActivated(e->caption());
        return;
    }
    if (e->name == u"..")
        goUp();
    else
        enter(e->name);
}

void PhonePane::listingStarted()
{
    m_listing = true;
    m_w.pathBar->setText(pathBarText());
    empty();
    m_w.view->setCursor(Qt::WaitCursor);
}

void PhonePane::listingFailed(const link::Outcome &)
{
    m_listing = false;
    m_w.view->unsetCursor();
    updateButtons();
}

void PhonePane::showObexListing(const link::ObexFolder &folder, const QStringList &path)
{
    m_listing = false;
    // The pane's path is the folder shown: a new folder made on the phone is entered.
    m_connection.obexPath() = path;
    m_w.pathBar->setText(explorer::obexPathBar(path));
    QList<DirEntry> rows;
    if (!path.isEmpty())
        rows.append(DirEntry::parent());
    rows.append(folder.entries);
    updateButtons();
    showRows(std::move(rows));
    m_w.view->unsetCursor();
}

void PhonePane::showBrewListing(const link::BrewFolder &folder)
{
    m_listing = false;
    m_connection.brewPath() = folder.path;
    m_w.pathBar->setText(folder.path);
    updateButtons();
    showRows(folder.paneRows());
    m_w.view->unsetCursor();
}

void PhonePane::showRows(QList<DirEntry> rows)
{
    explorer::sortRows(rows);
    m_w.model->setRows(std::move(rows));
    m_tab.activatePhonePane();
    const QString back = std::exchange(m_returnName, QString());
    const int row = back.isEmpty() ? -1 : m_w.model->rowOf(DirEntry::folder(back).caption());
    selectViewRow(m_w.view, row >= 0 ? row : 0);
    m_tab.relayout();
}

void PhonePane::connectedChanged(bool connected)
{
    m_w.favourites->setEnabled(connected);
    if (connected)
        return;
    m_listing = false;
    m_w.view->unsetCursor();
    empty();
    m_tab.phoneDisconnected();
}

void PhonePane::tabShown(int index)
{
    if (index != MainWindow::Explorer)
        return;
    const QSignalBlocker block(m_w.access);
    m_w.access->setCurrentIndex(m_connection.accessMode() == AccessMode::Brew ? 1 : 0);
    if (m_connection.accessMode() == AccessMode::Brew && m_window.phoneLink().diagPort()->isOpen())
        empty();
}

} // namespace vandrel::ui
