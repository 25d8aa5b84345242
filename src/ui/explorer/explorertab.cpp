#include "explorertab.h"

#include "dirtablemodel.h"
#include "favourites.h"
#include "pcfolderlisting.h"
#include "quillview.h"

#include "../connection.h"
#include "../language.h"
#include "../mainwindow.h"
#include "../shell.h"

#include <core/explorer/commandrules.h>
#include <core/explorer/drives.h>
#include <core/explorer/pcpath.h>

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace vandrel::ui {

using explorer::DirEntry;

namespace {

// Design widths of "Velikost" and "Datum"; "Jméno" takes the rest.
constexpr int kSizeWidth = 90;
constexpr int kDateWidth = 130;
constexpr int kScrollBarAllowance = 16;

// Item data of the drive box: a volume's root, or one of the two user folders.
const QString kDesktopItem = QStringLiteral("<desktop>");
const QString kDocumentsItem = QStringLiteral("<documents>");

struct Command {
    const char *button;
    const char *action;
    int message;
    const char *builtIn;
};
// Left to right below the panes.
const Command kCommands[] = {
    {"sbKopirovat", "pKopirovat", 23, "Kopírovat"},     {"sbEditovat", "Editovat1", 24, "Editovat"},
    {"sbNacist", "pAktualizovat", 25, "Aktualizovat"}, {"sbPrejmenovat", "pPrejmenovat", 26, "Přejmenovat"},
    {"sbAdresar", "pNovyadresar", 27, "Nový adresář"},  {"sbSmazat", "pSmazat", 21, "Smazat"},
};

QTableView *makePane(QTableView *view, DirTableModel *model, const char *name)
{
    view->setObjectName(QString::fromLatin1(name));
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Rows as dense as a report-style list view.
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setStretchLastSection(false);
    view->horizontalHeader()->setHighlightSections(false);
    view->setColumnWidth(DirTableModel::NameColumn, 170);
    view->setColumnWidth(DirTableModel::SizeColumn, kSizeWidth);
    view->setColumnWidth(DirTableModel::DateColumn, kDateWidth);
    view->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Expanding);
    return view;
}

QPushButton *makeButton(const char *name, const QString &text, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    // The panes keep the focus, so the commands act on the pane the user was in.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

QPushButton *makeSmallButton(const char *name, const QString &text, QWidget *parent)
{
    QPushButton *b = makeButton(name, text, parent);
    b->setFixedWidth(qMax(28, b->fontMetrics().horizontalAdvance(text) + 14));
    return b;
}

QLabel *makePathBar(const char *name, QWidget *parent)
{
    auto *bar = new QLabel(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setAutoFillBackground(true);
    bar->setMargin(2);
    bar->setTextInteractionFlags(Qt::NoTextInteraction);
    bar->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    return bar;
}

QString userFolder(const QString &item)
{
    const auto where = item == kDesktopItem ? QStandardPaths::DesktopLocation : QStandardPaths::DocumentsLocation;
    const QString path = QStandardPaths::writableLocation(where);
    return !path.isEmpty() && QFileInfo(path).isDir() ? path : QString();
}

} // namespace

ExplorerTab::ExplorerTab(MainWindow &window) : QWidget(&window), m_window(window), m_connection(window.connection())
{
    setObjectName(QStringLiteral("ExplorerTab"));
    m_pcModel = new DirTableModel(false, this);
    m_phoneModel = new DirTableModel(true, this);
    m_favourites = new Favourites(window);
    build();
    wireFavourites();
    applyCaptions();
    setPathBarColours();
    attachLifecycle();

    connect(&window, &MainWindow::captionsChanged, this, [this] {
        applyCaptions();
        if (m_started) {
            fillDriveBox();
            updateFreeSpace();
        }
    });
    connect(&window, &MainWindow::settingsApplied, this, [this] {
        applyCaptions();
        applyIcons();
        updateFreeSpace();
    });
    connect(&m_connection, &ConnectionController::obexListing, this, &ExplorerTab::showObexListing);
    connect(&m_connection, &ConnectionController::brewListing, this, &ExplorerTab::showBrewListing);
    connect(&m_connection, &ConnectionController::obexListingStarted, this, &ExplorerTab::phoneListingStarted);
    connect(&m_connection, &ConnectionController::obexListingFailed, this, &ExplorerTab::phoneListingFailed);
    connect(&m_connection, &ConnectionController::brewListingStarted, this, &ExplorerTab::phoneListingStarted);
    connect(&m_connection, &ConnectionController::brewListingFailed, this, &ExplorerTab::phoneListingFailed);
    connect(&m_connection, &ConnectionController::brewConnected, this, &ExplorerTab::refreshPhone);
    connect(&m_connection, &ConnectionController::memoryLabel, m_memoryLabel, &QLabel::setText);
    connect(&m_connection, &ConnectionController::connectedChanged, this, &ExplorerTab::connectedChanged);
    // After the connection's own tab rules (connected earlier, so they run first).
    connect(window.tabs(), &QTabWidget::currentChanged, this, &ExplorerTab::tabShown);
}

ExplorerTab::~ExplorerTab() = default;

QTableView *ExplorerTab::computerView() const { return m_pcView; }

QString ExplorerTab::message(int n, const char *builtIn) const
{
    return m_window.message(n, QString::fromUtf8(builtIn));
}

void ExplorerTab::build()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(3);

    // Top line: the drive box with its free space, the access box with the phone's memory,
    // the "\" and ".." pairs at the right ends.
    m_drives = new QComboBox(this);
    m_drives->setObjectName(QStringLiteral("Combo1"));
    // Long mount paths must not widen the computer's half of the tab.
    m_drives->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_drives->setMinimumContentsLength(16);
    m_freeLabel = new QLabel(this);
    m_freeLabel->setObjectName(QStringLiteral("Label1"));
    m_freeLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pcRoot = makeSmallButton("Button1", QStringLiteral("\\"), this);
    m_pcUp = makeSmallButton("Button2", QStringLiteral(".."), this);
    auto *pcTop = new QHBoxLayout;
    pcTop->addWidget(m_drives);
    pcTop->addWidget(m_freeLabel, 1);
    pcTop->addWidget(m_pcRoot);
    pcTop->addWidget(m_pcUp);

    m_access = new QComboBox(this);
    m_access->setObjectName(QStringLiteral("Combo2"));
    m_access->addItems({QStringLiteral("OBEX"), QStringLiteral("BREW")});
    m_memoryLabel = new QLabel(this);
    m_memoryLabel->setObjectName(QStringLiteral("Label2"));
    m_memoryLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_phoneRoot = makeSmallButton("Button3", QStringLiteral("\\"), this);
    m_phoneUp = makeSmallButton("Button5", QStringLiteral(".."), this);
    m_phoneRoot->setEnabled(false);
    m_phoneUp->setEnabled(false);
    auto *phoneTop = new QHBoxLayout;
    phoneTop->addWidget(m_access);
    phoneTop->addWidget(m_memoryLabel, 1);
    phoneTop->addWidget(m_phoneRoot);
    phoneTop->addWidget(m_phoneUp);

    // Path bars, each followed by its favourites button.
    m_pcBar = makePathBar("sPCCesta", this);
    m_phoneBar = makePathBar("sMOCesta", this);
    m_pcFavourites = makeSmallButton("Button16", QStringLiteral("*"), this);
    m_phoneFavourites = makeSmallButton("Button17", QStringLiteral("*"), this);
    m_phoneFavourites->setEnabled(false);
    auto *pcPathLine = new QHBoxLayout;
    pcPathLine->addWidget(m_pcBar, 1);
    pcPathLine->addWidget(m_pcFavourites);
    auto *phonePathLine = new QHBoxLayout;
    phonePathLine->addWidget(m_phoneBar, 1);
    phonePathLine->addWidget(m_phoneFavourites);

    m_pcView = makePane(new QTableView(this), m_pcModel, "listPC");
    m_phoneView = new QuillView(this);
    makePane(m_phoneView, m_phoneModel, "ListMO");

    grid->addLayout(pcTop, 0, 0);
    grid->addLayout(phoneTop, 0, 1);
    grid->addLayout(pcPathLine, 1, 0);
    grid->addLayout(phonePathLine, 1, 1);
    grid->addWidget(m_pcView, 2, 0);
    grid->addWidget(m_phoneView, 2, 1);
    // Each pane takes half the width, whatever the contents.
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(2, 1);

    // The six commands in one row, equally wide, thin separators between them.
    auto *commands = new QHBoxLayout;
    commands->setSpacing(0);
    for (const Command &c : kCommands) {
        if (!m_commands.isEmpty()) {
            auto *line = new QFrame(this);
            line->setFrameShape(QFrame::VLine);
            line->setFrameShadow(QFrame::Sunken);
            commands->addWidget(line);
        }
        QPushButton *b = makeButton(c.button, QString(), this);
        b->setFlat(true);
        b->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        connect(b, &QPushButton::clicked, this, [this, action = c.action] { triggerAction(action); });
        commands->addWidget(b, 1);
        m_commands.append(b);
    }
    grid->addLayout(commands, 3, 0, 1, 2);

    for (QTableView *view : {m_pcView, static_cast<QTableView *>(m_phoneView)}) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    m_pcBar->installEventFilter(this);
    m_phoneBar->installEventFilter(this);

    connect(m_pcRoot, &QPushButton::clicked, this, &ExplorerTab::computerRoot);
    connect(m_pcUp, &QPushButton::clicked, this, &ExplorerTab::computerUp);
    connect(m_phoneRoot, &QPushButton::clicked, this, &ExplorerTab::phoneRoot);
    connect(m_phoneUp, &QPushButton::clicked, this, &ExplorerTab::phoneUp);
    connect(m_pcView, &QTableView::doubleClicked, this, &ExplorerTab::listPCDblClick);
    connect(m_phoneView, &QTableView::doubleClicked, this, &ExplorerTab::ListMODblClick);
    connect(m_drives, &QComboBox::activated, this, &ExplorerTab::Combo1Select);
    connect(m_access, &QComboBox::activated, this, &ExplorerTab::Combo2Change);
    connect(m_phoneView, &QuillView::filesDropped, this, &ExplorerTab::ListMODropFiles);
}

void ExplorerTab::attachLifecycle()
{
    Lifecycle &lc = m_window.lifecycle();
    QPointer<ExplorerTab> self(this);
    lc.on(Step::AcceptDrops, [self] {
        if (self)
            self->m_phoneView->acceptFileDrops();
    });
    lc.on(Step::LoadSettings, [self] {
        if (!self)
            return;
        const QString stored = self->m_window.appSettings().cesta;
        self->m_pcPath = stored.isEmpty() ? QString() : explorer::withTrailingSeparator(stored);
        self->m_started = true;
        self->fillDriveBox();
        self->applyIcons();
    });
    lc.on(Step::ComputerFreeSpace, [self] {
        if (self)
            self->updateFreeSpace(true);
    });
    lc.on(Step::ListComputerPane, [self] {
        if (self)
            self->PCFolderListing(self->m_pcPath.isEmpty() ? QDir::rootPath() : self->m_pcPath);
    });
    lc.on(Step::Relayout, [self] {
        if (self)
            self->relayout();
    });
}

void ExplorerTab::applyCaptions()
{
    const QStringList headers{message(8, "Jméno"), message(9, "Velikost"), message(10, "Datum")};
    m_pcModel->setHeaders(headers);
    m_phoneModel->setHeaders(headers);
    for (int i = 0; i < int(std::size(kCommands)); ++i) {
        const Command &c = kCommands[i];
        const QAction *a = m_window.action(QString::fromLatin1(c.action));
        m_commands[i]->setText(shortcutCaption(a ? a->shortcut() : QKeySequence(), message(c.message, c.builtIn)));
    }
    const QString hint = message(109, "Oblíbené adresáře");
    m_pcFavourites->setToolTip(hint);
    m_phoneFavourites->setToolTip(hint);
}

void ExplorerTab::applyIcons() { m_pcModel->setIconsShown(m_window.appSettings().ikony); }

// ---- active pane ------------------------------------------------------------------------

void ExplorerTab::setPathBarColours()
{
    const QPalette base = palette();
    auto paint = [&](QLabel *bar, bool active) {
        QPalette p = bar->palette();
        p.setColor(QPalette::Window, base.color(QPalette::Active, active ? QPalette::Highlight : QPalette::Mid));
        p.setColor(QPalette::WindowText,
                   base.color(QPalette::Active, active ? QPalette::HighlightedText : QPalette::WindowText));
        bar->setPalette(p);
    };
    paint(m_pcBar, m_active == Pane::Computer);
    paint(m_phoneBar, m_active == Pane::Phone);
}

void ExplorerTab::activateComputerPane()
{
    m_active = Pane::Computer;
    setPathBarColours();
    if (!m_pcView->hasFocus())
        m_pcView->setFocus(Qt::OtherFocusReason);
}

void ExplorerTab::activatePhonePane()
{
    m_active = Pane::Phone;
    setPathBarColours();
    if (!m_phoneView->hasFocus())
        m_phoneView->setFocus(Qt::OtherFocusReason);
}

bool ExplorerTab::eventFilter(QObject *watched, QEvent *event)
{
    const bool pc = watched == m_pcView || watched == m_pcView->viewport();
    const bool phone = watched == m_phoneView || watched == m_phoneView->viewport();
    switch (event->type()) {
    case QEvent::FocusIn:
        if (watched == m_pcView && m_active != Pane::Computer)
            activateComputerPane();
        else if (watched == m_phoneView && m_active != Pane::Phone)
            activatePhonePane();
        break;
    case QEvent::MouseButtonPress:
        if (watched == m_pcBar || (pc && watched != m_pcView))
            activateComputerPane();
        else if (watched == m_phoneBar || (phone && watched != m_phoneView))
            activatePhonePane();
        break;
    case QEvent::Resize:
        if (watched == m_pcView || watched == m_phoneView)
            relayout();
        break;
    case QEvent::KeyPress: {
        if (watched != m_pcView && watched != m_phoneView)
            break;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            break;
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (watched == m_pcView) {
            if (key->key() == Qt::Key_Backspace) {
                if (!explorer::isPcRoot(m_pcPath))
                    computerUp();
                return true;
            }
            if (key->key() == Qt::Key_Delete) {
                triggerAction("pSmazat");
                return true;
            }
            if (key->key() == Qt::Key_Right) {
                activatePhonePane();
                return true;
            }
            if (enter) {
                listPCDblClick();
                return true;
            }
        } else {
            if (key->key() == Qt::Key_Delete) {
                if (m_window.tabs()->currentIndex() == MainWindow::Explorer)
                    triggerAction("pSmazat");
                return true;
            }
            if (key->key() == Qt::Key_Left) {
                activateComputerPane();
                return true;
            }
            if (enter) {
                if (m_phoneView->selectionModel()->hasSelection())
                    ListMODblClick();
                return true;
            }
        }
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void ExplorerTab::triggerAction(const char *name)
{
    if (QAction *a = m_window.action(QString::fromLatin1(name)))
        a->trigger();
}

QStringList ExplorerTab::selectedCaptions(Pane pane) const
{
    const QTableView *view = pane == Pane::Computer ? m_pcView : m_phoneView;
    const DirTableModel *model = pane == Pane::Computer ? m_pcModel : m_phoneModel;
    QModelIndexList rows = view->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    QStringList out;
    for (const QModelIndex &i : rows)
        out << model->caption(i.row());
    return out;
}

void ExplorerTab::deselect(Pane pane, const QString &caption)
{
    QTableView *view = pane == Pane::Computer ? m_pcView : m_phoneView;
    const DirTableModel *model = pane == Pane::Computer ? m_pcModel : m_phoneModel;
    const int row = model->rowOf(caption);
    if (row >= 0)
        view->selectionModel()->select(model->index(row, 0), QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
}

void ExplorerTab::clearSelections()
{
    m_pcView->clearSelection();
    m_phoneView->clearSelection();
}

void ExplorerTab::selectRow(QTableView *view, int row)
{
    if (row < 0 || row >= view->model()->rowCount())
        return;
    const QModelIndex index = view->model()->index(row, 0);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

// ---- computer pane ----------------------------------------------------------------------

void ExplorerTab::PCFolderListing(const QString &path)
{
    const explorer::PcTarget target = explorer::resolvePcPath(path);
    m_pcPath = target.folder;
    m_window.appSettings().cesta = m_pcPath;
    const bool root = explorer::isPcRoot(m_pcPath) || QDir(m_pcPath).isRoot();
    m_pcRoot->setEnabled(!root);
    m_pcUp->setEnabled(!root);

    QList<DirEntry> rows = computerFolderRows(m_pcPath);
    explorer::sortRows(rows);
    m_pcModel->setRows(std::move(rows), m_pcPath);
    m_pcBar->setText(QDir::toNativeSeparators(m_pcPath));
    activateComputerPane();
    const int back = target.returnName.isEmpty() ? -1 : m_pcModel->rowOf(DirEntry::folder(target.returnName).caption());
    selectRow(m_pcView, back >= 0 ? back : 0);
    relayout();
}

void ExplorerTab::computerRoot()
{
    PCFolderListing(QDir::rootPath());
}

void ExplorerTab::computerUp()
{
    PCFolderListing(m_pcPath + QStringLiteral(".."));
}

void ExplorerTab::listPCDblClick()
{
    if (m_pcModel->rowCount() == 0)
        return;
    QModelIndex current = m_pcView->currentIndex();
    if (!m_pcView->selectionModel()->hasSelection() || !current.isValid()) {
        selectRow(m_pcView, 0);
        current = m_pcView->currentIndex();
    }
    const DirEntry *e = m_pcModel->entry(current.row());
    if (!e)
        return;
    if (e->isFolder)
        PCFolderListing(m_pcPath + e->name);
    else
        openWithShell(m_pcPath + e->name, &m_window);
    relayout();
}

// ---- drive box --------------------------------------------------------------------------

void ExplorerTab::fillDriveBox()
{
    int remembered = m_drives->currentIndex();
    m_drives->clear();
    bool pathFromDrive = false;
    QList<explorer::Volume> volumes;
    for (const QStorageInfo &s : QStorageInfo::mountedVolumes()) {
        if (s.isValid())
            volumes.append({s.rootPath(), QString::fromUtf8(s.fileSystemType()), QString::fromUtf8(s.device())});
    }
    for (const explorer::Volume &v : explorer::listedVolumes(volumes)) {
        const explorer::DriveType type = explorer::driveTypeOf(v);
        m_drives->addItem(explorer::driveItemText(v.rootPath, m_window.message(explorer::driveTypeMessage(type))),
                          v.rootPath);
        if (type == explorer::DriveType::Fixed) {
            if (m_pcPath.isEmpty()) {
                m_pcPath = explorer::withTrailingSeparator(v.rootPath);
                pathFromDrive = true;
            }
            if (remembered < 0)
                remembered = m_drives->count() - 1;
        }
    }
    m_drives->addItem(message(41, "Plocha"), kDesktopItem);
    m_drives->addItem(message(87, "Dokumenty"), kDocumentsItem);
    m_drives->setCurrentIndex(qMin(remembered, m_drives->count() - 1));
    if (pathFromDrive)
        Combo1Select(m_drives->currentIndex());
}

void ExplorerTab::Combo1Select(int index)
{
    const QString item = m_drives->itemData(index).toString();
    QString path;
    if (item == kDesktopItem || item == kDocumentsItem) {
        path = userFolder(item);
        if (path.isEmpty())
            return; // no such folder on this desktop: nothing changes
    } else if (!item.isEmpty()) {
        path = item;
    } else {
        return;
    }
    m_pcPath = explorer::withTrailingSeparator(path);
    updateFreeSpace();
    PCFolderListing(m_pcPath);
}

void ExplorerTab::updateFreeSpace(bool rounded)
{
    const QStorageInfo drive(m_pcPath.isEmpty() ? QDir::rootPath() : m_pcPath);
    if (!drive.isValid() || drive.bytesAvailable() < 0 || drive.bytesTotal() < 0) {
        m_freeLabel->clear();
        return;
    }
    m_freeLabel->setText(explorer::freeSpaceLabel(message(32, "Volno: "), drive.bytesAvailable(),
                                                  message(33, "Celkem: "), drive.bytesTotal(), rounded));
}

// ---- phone pane -------------------------------------------------------------------------

void ExplorerTab::Combo2Change(int index)
{
    const AccessMode wanted = index == 1 ? AccessMode::Brew : AccessMode::Obex;
    m_connection.chooseAccessMode(wanted);
    // Disconnected, the next connection reads the box.
    if (!m_connection.isConnected() || wanted == m_connection.accessMode())
        return;
    m_connection.setAccessMode(wanted);
    link::PhoneLink &link = m_window.phoneLink();
    (wanted == AccessMode::Brew ? link.port() : link.javaPort())->close();
    emptyPhonePane();
    m_memoryLabel->clear(); // the other mode's figure comes with its listing
    m_connection.toggleConnection();
}

bool ExplorerTab::brewAccess() const { return m_connection.brewAccess(); }

bool ExplorerTab::phoneMovesAllowed() const
{
    return m_connection.phonePortOpen() && !m_phoneListing;
}

QString ExplorerTab::phonePathBar() const
{
    return brewAccess() ? m_connection.brewPath() : explorer::obexPathBar(m_connection.obexPath());
}

void ExplorerTab::emptyPhonePane()
{
    m_phoneModel->clear();
}

void ExplorerTab::updatePhoneButtons()
{
    const bool below = brewAccess() ? !m_connection.brewPath().isEmpty() : !m_connection.obexPath().isEmpty();
    m_phoneRoot->setEnabled(below);
    m_phoneUp->setEnabled(below);
    // The phone's root is no favourite: its path would be empty.
    m_favourites->addAction(Favourites::List::Obex)->setEnabled(!brewAccess() && below);
    m_favourites->addAction(Favourites::List::Brew)->setEnabled(brewAccess() && below);
}

void ExplorerTab::startPhoneListing()
{
    m_phoneBar->setText(phonePathBar());
    updatePhoneButtons();
    emptyPhonePane();
    m_phoneView->setCursor(Qt::WaitCursor);
    if (brewAccess())
        m_connection.listBrewFolder();
    else
        m_connection.listObexFolder();
}

void ExplorerTab::refreshPhone()
{
    if (phoneMovesAllowed())
        startPhoneListing();
}

void ExplorerTab::openPhonePath(const QStringList &obexNames)
{
    if (brewAccess() || !phoneMovesAllowed())
        return;
    m_connection.obexPath() = obexNames;
    // The walk there also asks the memory sizes for the label.
    m_connection.sizeQueryPending() = true;
    m_phoneReturnName.clear();
    startPhoneListing();
}

void ExplorerTab::openBrewPath(const QString &path)
{
    if (!brewAccess() || !phoneMovesAllowed())
        return;
    m_connection.brewPath() = path;
    m_phoneReturnName.clear();
    startPhoneListing();
}

void ExplorerTab::phoneEnter(const QString &name)
{
    if (!phoneMovesAllowed() || name.isEmpty())
        return;
    if (brewAccess())
        m_connection.brewPath() += name + QLatin1Char('/');
    else
        m_connection.obexPath().append(name);
    m_phoneReturnName.clear();
    startPhoneListing();
}

void ExplorerTab::phoneUp()
{
    if (!phoneMovesAllowed())
        return;
    if (brewAccess()) {
        QString &path = m_connection.brewPath();
        if (path.isEmpty())
            return;
        const explorer::BrewUp up = explorer::brewPathUp(path);
        path = up.path;
        m_phoneReturnName = up.returnName;
        startPhoneListing();
        return;
    }
    QStringList &path = m_connection.obexPath();
    if (path.isEmpty())
        return;
    m_phoneReturnName = path.takeLast();
    if (path.isEmpty())
        m_memoryLabel->clear();
    else if (path.size() == 1)
        m_connection.sizeQueryPending() = true;
    startPhoneListing();
}

void ExplorerTab::phoneRoot()
{
    if (!phoneMovesAllowed())
        return;
    m_memoryLabel->clear();
    m_phoneBar->clear();
    activatePhonePane();
    if (brewAccess())
        m_connection.brewPath().clear();
    else
        m_connection.obexPath().clear();
    m_phoneReturnName.clear();
    startPhoneListing();
}

void ExplorerTab::ListMODblClick()
{
    const QModelIndex current = m_phoneView->currentIndex();
    if (!current.isValid() || !m_phoneView->selectionModel()->isRowSelected(current.row(), {}))
        return;
    const DirEntry *e = m_phoneModel->entry(current.row());
    if (!e)
        return;
    if (!e->isFolder) {
        emit phoneFileActivated(e->caption());
        return;
    }
    if (e->name == u"..")
        phoneUp();
    else
        phoneEnter(e->name);
}

void ExplorerTab::phoneListingStarted()
{
    m_phoneListing = true;
    m_phoneBar->setText(phonePathBar());
    emptyPhonePane();
    m_phoneView->setCursor(Qt::WaitCursor);
}

void ExplorerTab::phoneListingFailed(const link::Outcome &)
{
    m_phoneListing = false;
    m_phoneView->unsetCursor();
    updatePhoneButtons();
}

void ExplorerTab::showObexListing(const link::ObexFolder &folder, const QStringList &path)
{
    m_phoneListing = false;
    // The pane's path is the folder shown: a new folder made on the phone is entered.
    m_connection.obexPath() = path;
    m_phoneBar->setText(explorer::obexPathBar(path));
    QList<DirEntry> rows;
    if (!path.isEmpty())
        rows.append(DirEntry::parent());
    rows.append(folder.entries);
    updatePhoneButtons();
    phoneListingCompletion(std::move(rows));
    m_phoneView->unsetCursor();
}

void ExplorerTab::showBrewListing(const link::BrewFolder &folder)
{
    m_phoneListing = false;
    m_connection.brewPath() = folder.path;
    m_phoneBar->setText(folder.path);
    updatePhoneButtons();
    phoneListingCompletion(folder.paneRows());
    m_phoneView->unsetCursor();
}

void ExplorerTab::phoneListingCompletion(QList<DirEntry> rows)
{
    explorer::sortRows(rows);
    m_phoneModel->setRows(std::move(rows));
    activatePhonePane();
    const QString back = std::exchange(m_phoneReturnName, QString());
    const int row = back.isEmpty() ? -1 : m_phoneModel->rowOf(DirEntry::folder(back).caption());
    selectRow(m_phoneView, row >= 0 ? row : 0);
    relayout();
}

void ExplorerTab::connectedChanged(bool connected)
{
    m_phoneFavourites->setEnabled(connected);
    if (connected)
        return;
    m_phoneListing = false;
    m_phoneView->unsetCursor();
    emptyPhonePane();
    if (m_window.tabs()->currentIndex() == MainWindow::Explorer && m_started)
        PCFolderListing(m_pcPath);
}

void ExplorerTab::tabShown(int index)
{
    if (index != MainWindow::Explorer)
        return;
    const QSignalBlocker block(m_access);
    m_access->setCurrentIndex(m_connection.accessMode() == AccessMode::Brew ? 1 : 0);
    if (m_connection.accessMode() == AccessMode::Brew && m_window.phoneLink().javaPort()->isOpen())
        emptyPhonePane();
}

// ---- drops ------------------------------------------------------------------------------

void ExplorerTab::ListMODropFiles(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    QList<explorer::DroppedPath> dropped;
    for (const QString &p : paths)
        dropped.append({p, QFileInfo(p).isDir()});
    const QStringList droppedList = explorer::droppedCaptions(dropped);

    const QString remembered = m_pcPath;
    m_pcPath = explorer::folderOf(QDir::fromNativeSeparators(paths.last()));
    activateComputerPane();
    if (m_dropHandler) {
        m_dropHandler(droppedList);
    } else {
        auto *note = new QMessageBox(QMessageBox::Information, QStringLiteral("Vandrel Controller"),
                                     tr("Copying dropped files to the phone is not available yet."),
                                     QMessageBox::Ok, &m_window);
        note->setObjectName(QStringLiteral("DropNote"));
        note->setAttribute(Qt::WA_DeleteOnClose);
        note->open();
    }
    PCFolderListing(remembered);
}

// ---- favourites -------------------------------------------------------------------------

void ExplorerTab::wireFavourites()
{
    using List = Favourites::List;
    auto popupAt = [this](QPushButton *button, List list) {
        // Just below the button's right end.
        m_favourites->menu(list)->popup(button->mapToGlobal(QPoint(button->width(), button->height())));
    };
    connect(m_pcFavourites, &QPushButton::clicked, this, [this, popupAt] { popupAt(m_pcFavourites, List::Computer); });
    connect(m_phoneFavourites, &QPushButton::clicked, this,
            [this, popupAt] { popupAt(m_phoneFavourites, brewAccess() ? List::Brew : List::Obex); });
    // A context click always offers the computer's and the OBEX favourites.
    m_pcFavourites->setContextMenuPolicy(Qt::CustomContextMenu);
    m_phoneFavourites->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_pcFavourites, &QWidget::customContextMenuRequested, this,
            [this, popupAt] { popupAt(m_pcFavourites, List::Computer); });
    connect(m_phoneFavourites, &QWidget::customContextMenuRequested, this,
            [this, popupAt] { popupAt(m_phoneFavourites, List::Obex); });
    connect(m_favourites, &Favourites::addRequested, this, [this](List list) {
        QString path;
        switch (list) {
        case List::Computer: path = m_pcPath; break;
        case List::Obex: path = explorer::obexPathBar(m_connection.obexPath()); break;
        case List::Brew: path = m_connection.brewPath(); break;
        }
        m_favourites->addCurrent(list, path);
    });
    connect(m_favourites, &Favourites::chosen, this, [this](List list, const QString &path) {
        switch (list) {
        case List::Computer:
            PCFolderListing(path);
            relayout();
            break;
        case List::Obex: openPhonePath(explorer::obexNamesFromFavourite(path)); break;
        case List::Brew: openBrewPath(path); break;
        }
    });
    updatePhoneButtons();
}

// ---- layout -----------------------------------------------------------------------------

int ExplorerTab::dateColumnWidth(const QFontMetrics &metrics)
{
    // The design width, or more when the font needs it to show the whole time.
    return qMax(kDateWidth, metrics.horizontalAdvance(QStringLiteral("00.00.0000 00:00:00")) + 14);
}

int ExplorerTab::nameColumnWidth(int paneWidth, bool overflowing, int dateWidth)
{
    return qMax(40, paneWidth - kSizeWidth - dateWidth - 5 - (overflowing ? kScrollBarAllowance : 0));
}

void ExplorerTab::relayout()
{
    for (QTableView *view : {m_pcView, static_cast<QTableView *>(m_phoneView)}) {
        const int rowHeight = qMax(1, view->verticalHeader()->defaultSectionSize());
        const int visibleRows = view->viewport()->height() / rowHeight;
        const bool overflowing = view->model()->rowCount() > visibleRows;
        view->setColumnWidth(DirTableModel::SizeColumn, kSizeWidth);
        const int dateWidth = dateColumnWidth(view->fontMetrics());
        view->setColumnWidth(DirTableModel::DateColumn, dateWidth);
        view->setColumnWidth(DirTableModel::NameColumn, nameColumnWidth(view->width(), overflowing, dateWidth));
    }
}

} // namespace vandrel::ui
