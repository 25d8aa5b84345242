#include "explorertab.h"

#include "computerpane.h"
#include "dirtablemodel.h"
#include "favourites.h"
#include "phonepane.h"
#include "quillview.h"

#include "../connection.h"
#include "../language.h"
#include "../mainwindow.h"
#include "../shell.h"

#include <core/explorer/commandrules.h>
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

struct Command {
    const char *button;
    const char *action;
    settings::Msg message;
    const char *builtIn;
};
// Left to right below the panes.
const Command kCommands[] = {
    {"sbKopirovat", "pKopirovat", Msg::Copy, "Kopírovat"},     {"sbEditovat", "Editovat1", Msg::Edit, "Editovat"},
    {"sbNacist", "pAktualizovat", Msg::Refresh, "Aktualizovat"}, {"sbPrejmenovat", "pPrejmenovat", Msg::Rename, "Přejmenovat"},
    {"sbAdresar", "pNovyadresar", Msg::NewFolder, "Nový adresář"},  {"sbSmazat", "pSmazat", Msg::Delete, "Smazat"},
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

} // namespace

ExplorerTab::ExplorerTab(MainWindow &window) : QWidget(&window), m_window(window)
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
            m_computer->fillDriveBox();
            m_computer->updateFreeSpace();
        }
    });
    connect(&window, &MainWindow::settingsApplied, this, [this] {
        applyCaptions();
        applyIcons();
        m_computer->updateFreeSpace();
    });
}

ExplorerTab::~ExplorerTab() = default;

QTableView *ExplorerTab::computerView() const { return m_pcView; }

QString ExplorerTab::computerPath() const { return m_computer->path(); }

QString ExplorerTab::message(settings::Msg n, const char *builtIn) const
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

    connect(m_phoneView, &QuillView::filesDropped, this, &ExplorerTab::dropOnPhonePane);

    m_computer = new ComputerPane(m_window, *this, {m_pcModel, m_pcView, m_pcBar, m_pcRoot, m_pcUp, m_drives, m_freeLabel});
    m_phone = new PhonePane(m_window, *this, *m_favourites,
                            {m_phoneModel, m_phoneView, m_phoneBar, m_phoneRoot, m_phoneUp, m_phoneFavourites, m_access,
                             m_memoryLabel});
    connect(m_phone, &PhonePane::fileActivated, this, &ExplorerTab::phoneFileActivated);
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
        self->m_computer->setPath(self->m_window.appSettings().cesta);
        self->m_started = true;
        self->m_computer->fillDriveBox();
        self->applyIcons();
    });
    lc.on(Step::ComputerFreeSpace, [self] {
        if (self)
            self->m_computer->updateFreeSpace(true);
    });
    lc.on(Step::ListComputerPane, [self] {
        if (self)
            self->m_computer->list(self->m_computer->path().isEmpty() ? QDir::rootPath() : self->m_computer->path());
    });
    lc.on(Step::Relayout, [self] {
        if (self)
            self->relayout();
    });
}

void ExplorerTab::applyCaptions()
{
    const QStringList headers{message(Msg::ColumnName, "Jméno"), message(Msg::ColumnSize, "Velikost"), message(Msg::ColumnDate, "Datum")};
    m_pcModel->setHeaders(headers);
    m_phoneModel->setHeaders(headers);
    for (int i = 0; i < int(std::size(kCommands)); ++i) {
        const Command &c = kCommands[i];
        const QAction *a = m_window.action(QString::fromLatin1(c.action));
        m_commands[i]->setText(shortcutCaption(a ? a->shortcut() : QKeySequence(), message(c.message, c.builtIn)));
    }
    const QString hint = message(Msg::FavouritesHint, "Oblíbené adresáře");
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
                if (!m_computer->atRoot())
                    m_computer->goUp();
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
                m_computer->openCurrentRow();
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
                    m_phone->openCurrentRow();
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

void selectViewRow(QTableView *view, int row)
{
    if (row < 0 || row >= view->model()->rowCount())
        return;
    const QModelIndex index = view->model()->index(row, 0);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->scrollTo(index);
}

// ---- drops ------------------------------------------------------------------------------

void ExplorerTab::dropOnPhonePane(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    QList<explorer::DroppedPath> dropped;
    for (const QString &p : paths)
        dropped.append({p, QFileInfo(p).isDir()});
    const QStringList droppedList = explorer::droppedCaptions(dropped);

    // The copy takes the dropped files' folder as the computer folder, for this copy only.
    const QString remembered = m_computer->path();
    m_computer->setPath(explorer::folderOf(QDir::fromNativeSeparators(paths.last())));
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
    m_computer->list(remembered);
}

void ExplorerTab::phoneDisconnected()
{
    if (m_window.tabs()->currentIndex() == MainWindow::Explorer && m_started)
        m_computer->list(m_computer->path());
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
            [this, popupAt] { popupAt(m_phoneFavourites, m_phone->brewAccess() ? List::Brew : List::Obex); });
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
        case List::Computer: path = m_computer->path(); break;
        case List::Obex: path = explorer::obexPathBar(m_window.connection().obexPath()); break;
        case List::Brew: path = m_window.connection().brewPath(); break;
        }
        m_favourites->addCurrent(list, path);
    });
    connect(m_favourites, &Favourites::chosen, this, [this](List list, const QString &path) {
        switch (list) {
        case List::Computer:
            m_computer->list(path);
            relayout();
            break;
        case List::Obex: m_phone->openObexPath(explorer::obexNamesFromFavourite(path)); break;
        case List::Brew: m_phone->openBrewPath(path); break;
        }
    });
    m_phone->updateButtons();
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
