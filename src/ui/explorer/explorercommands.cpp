#include "explorercommands.h"

#include "../installerwindow.h"
#include <core/install/jad.h>

#include "dirtablemodel.h"
#include "externaledit.h"
#include "explorertab.h"
#include "quillview.h"

#include <core/brew/paths.h>
#include <core/explorer/commandrules.h>
#include <core/explorer/direntry.h>
#include <link/brewsession.h>
#include <link/localfiles.h>
#include <link/paths.h>
#include <ui/connection.h>
#include <ui/inputbox.h>
#include <ui/mainwindow.h>
#include <ui/messagebox.h>
#include <ui/questionbox.h>
#include <ui/shell.h>
#include <ui/transferwindow.h>

#include <QCoroTimer>
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QPointer>
#include <QTableView>

namespace vandrel::ui {

using explorer::bareName;
using explorer::isFolderCaption;
using Pane = ExplorerTab::Pane;

namespace {

// The actions of Pop1, which both panes carry so their shortcuts work wherever the user is.
const char *const kPaneActions[] = {"pAktualizovat", "Editovat1", "pKopirovat", "pPrejmenovat",
                                    "pNovyadresar",  "pSmazat",   "Instalovat1"};

QStringList withoutParent(QStringList captions)
{
    captions.removeAll(explorer::kParentCaption);
    return captions;
}

const QMessageBox::StandardButtons kYesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;

// Opens the BREW transfer window; its closing listing goes to the phone pane, and `after` runs
// once it has closed.
void openBrew(MainWindow &window, link::TransferRequest request, std::function<void(const link::Outcome &)> after = {},
              ExplorerTab *tab = nullptr)
{
    request.folderWarning = window.appSettings().BrewDirWarning;
    const Pane source = request.op == link::TransferOp::Upload ? Pane::Computer : Pane::Phone;
    TransferWindow *brew = openTransferWindow(window.phoneLink(), window.messages(), Access::Brew, std::move(request), &window);
    // The pane shows the closing listing only while it shows the BREW file system.
    if (window.connection().brewAccess())
        QObject::connect(brew, &TransferWindow::brewListed, &window.connection(), &ConnectionController::brewListing);
    if (tab)
        QObject::connect(brew, &TransferWindow::entryDone, tab,
                         [tab, source](const QString &caption) { tab->deselect(source, caption); });
    if (after)
        QObject::connect(brew, &TransferWindow::finished, &window,
                         [after](const link::Outcome &o, const QByteArray &) { after(o); });
}

// Opens the OBEX transfer window; its closing listing goes to the phone pane.
TransferWindow *openObex(MainWindow &window, link::TransferRequest request)
{
    TransferWindow *transfer = openTransferWindow(window.phoneLink(), window.messages(), Access::Obex, std::move(request), &window);
    QObject::connect(transfer, &TransferWindow::obexListed, &window.connection(), &ConnectionController::obexListing);
    return transfer;
}

QCoro::Task<void> askThenBrew(QPointer<MainWindow> window, QPointer<ExplorerTab> tab, Msg question, QString builtIn,
                              QMessageBox::StandardButtons buttons, link::TransferRequest request,
                              std::function<void(const link::Outcome &)> after)
{
    const auto answer = co_await ask(window, window->message(question, builtIn), buttons, QMessageBox::Question,
                                     Closes::WithLink);
    // The link may have gone, or another operation begun, while the question was up.
    if (!window || !tab || answer != QMessageBox::Yes || !window->connection().phonePortReady())
        co_return;
    openBrew(*window, std::move(request), std::move(after), tab);
}

// Coroutine inputs are parameters, not captures: they live in the coroutine's frame.
QCoro::Task<void> askThenTransfer(QPointer<MainWindow> window, QPointer<ExplorerTab> tab, Msg question,
                                  QString builtIn, link::TransferRequest request)
{
    const auto answer = co_await ask(window, window->message(question, builtIn), kYesNoCancel, QMessageBox::Question,
                                     Closes::WithLink);
    if (!window || !tab || answer != QMessageBox::Yes || !window->connection().phonePortReady())
        co_return;
    const bool localChanges = request.op == link::TransferOp::Download;
    const Pane source = request.op == link::TransferOp::Upload ? Pane::Computer : Pane::Phone;
    TransferWindow *transfer = openObex(*window, std::move(request));
    QObject::connect(transfer, &TransferWindow::entryDone, tab, [tab, source](const QString &caption) {
        tab->deselect(source, caption);
    });
    QObject::connect(transfer, &TransferWindow::cancelRequested, tab, &ExplorerTab::clearSelections);
    if (localChanges)
        QObject::connect(transfer, &TransferWindow::finished, tab, [tab](const link::Outcome &, const QByteArray &) {
            tab->computer().list(tab->computerPath());
        });
}

QCoro::Task<void> renameRow(QPointer<MainWindow> window, QPointer<ExplorerTab> tab, Pane pane, QString caption)
{
    const QString prompt = window->message(Msg::NewNamePrompt, QStringLiteral("Nový název pro ")) + caption + QStringLiteral(": ");
    const Closes closes = pane == Pane::Phone ? Closes::WithLink : Closes::WithWindow;
    const auto answer = co_await askText(window, prompt, caption, closes);
    if (!window || !tab || !answer || answer->isEmpty())
        co_return;
    const bool folder = isFolderCaption(caption);
    const QString target = explorer::renameTarget(*answer, folder);
    if (pane == Pane::Computer) {
        const QString from = tab->computerPath() + bareName(caption);
        if (target.isEmpty() || !link::renameLocal(from, tab->computerPath() + target))
            showError(window, window->message(Msg::RenameFailed, QStringLiteral("Název se nepodařilo změnit.")));
        tab->computer().list(tab->computerPath());
        co_return;
    }
    if (target.isEmpty()) {
        showError(window, window->message(Msg::RenameFailed, QStringLiteral("Název se nepodařilo změnit.")));
        co_return;
    }
    if (!window->connection().phonePortReady())
        co_return;
    link::TransferRequest request;
    request.op = link::TransferOp::Rename;
    request.phoneFolder = window->connection().obexPath();
    request.name = bareName(caption);
    request.newName = target;
    openObex(*window, std::move(request));
}

QCoro::Task<void> makeFolder(QPointer<MainWindow> window, QPointer<ExplorerTab> tab, Pane pane)
{
    if (pane == Pane::Phone && !window->connection().phonePortReady())
        co_return;
    const QString prompt = window->message(Msg::NewFolderPrompt, QStringLiteral("Název nového adresáře:"));
    const Closes closes = pane == Pane::Phone ? Closes::WithLink : Closes::WithWindow;
    const auto answer = co_await askText(window, prompt, QString(), closes);
    if (!window || !tab)
        co_return;
    const QString name = answer ? explorer::renameTarget(*answer, false) : QString();
    if (pane == Pane::Computer) {
        if (answer && !answer->isEmpty()) {
            if (name.isEmpty() || !link::makeLocalFolder(tab->computerPath() + name)) {
                showError(window, window->message(Msg::ComputerFolderNotCreated, QStringLiteral("Adresář nelze vytvořit.")));
            }
            co_await QCoro::sleepFor(std::chrono::milliseconds(10));
            if (!window || !tab)
                co_return;
            tab->computer().list(tab->computerPath());
        }
        tab->activateComputerPane();
        co_return;
    }
    if (!answer || answer->isEmpty())
        co_return;
    if (name.isEmpty()) {
        showError(window, window->message(Msg::ComputerFolderNotCreated, QStringLiteral("Adresář nelze vytvořit.")));
        co_return;
    }
    ConnectionController &connection = window->connection();
    if (!connection.phonePortReady())
        co_return;
    link::TransferRequest request;
    request.op = link::TransferOp::CreateFolder;
    request.name = name;
    if (connection.brewAccess()) {
        request.phoneFolder = brew::brewFolderNames(connection.brewPath());
        openBrew(*window, std::move(request));
        co_return;
    }
    request.phoneFolder = connection.obexPath();
    openObex(*window, std::move(request));
}

// After a BREW file was changed in the editor: send it back on Yes, then list the pane again.
QCoro::Task<void> offerUpload(QPointer<MainWindow> window, QPointer<ExplorerTab> tab, QString local, QString folder)
{
    const QString name = QFileInfo(local).fileName();
    const auto answer = co_await ask(
        window, window->message(Msg::SendBackQuestion, QStringLiteral("Soubor %1 byl změněn. Odeslat jej zpět do telefonu?")).arg(name),
        kYesNoCancel, QMessageBox::Question, Closes::WithLink);
    if (!window || answer != QMessageBox::Yes)
        co_return;
    // The file goes back over the diagnostic port whatever the explorer shows now; an OBEX
    // connection stays as it is.
    link::PhoneLink &phone = window->phoneLink();
    const bool opened = !phone.diagPort()->isOpen();
    if (opened) {
        if (const link::OpenError e = phone.diagPort()->open()) {
            showError(window, e.message);
            co_return;
        }
    } else if (!window->connection().portReady(link::PhoneLink::Port::Diag)) {
        co_return;
    }
    link::TransferRequest brew;
    brew.op = link::TransferOp::WriteFile;
    brew.phoneFolder = brew::brewFolderNames(folder);
    brew.localFile = local;
    brew.name = name;
    QPointer<link::PhoneLink> guard(&phone);
    openBrew(*window, std::move(brew), [tab, guard, opened](const link::Outcome &) {
        if (opened && guard)
            guard->diagPort()->close();
        if (tab)
            tab->phone().refresh();
    });
}

QCoro::Task<void> askAndRemoveComputerRows(QPointer<ExplorerCommands> commands, QPointer<MainWindow> window,
                                           QStringList captions)
{
    const auto answer = co_await ask(window, window->message(Msg::DeleteComputerItemsQuestion, QStringLiteral("Smazat vybrané položky?")), kYesNoCancel);
    if (!commands)
        co_return;
    if (answer == QMessageBox::Yes)
        commands->removeComputerRows(captions);
}

QCoro::Task<void> fetchAndOpen(QPointer<MainWindow> window, link::TransferRequest request)
{
    const QString target = request.localFile;
    TransferWindow *transfer = openObex(*window, std::move(request));
    QObject::connect(transfer, &TransferWindow::finished, window, [window, target](const link::Outcome &o, const QByteArray &) {
        if (window && o.ok())
            openWithShell(target, window);
    });
    co_return;
}

} // namespace

ExplorerCommands::ExplorerCommands(MainWindow &window, ExplorerTab &tab) : QObject(&tab), m_window(window), m_tab(tab)
{
    setObjectName(QStringLiteral("ExplorerCommands"));
    const std::pair<const char *, void (ExplorerCommands::*)()> wiring[] = {
        {"pAktualizovat", &ExplorerCommands::refresh}, {"Editovat1", &ExplorerCommands::edit},
        {"pKopirovat", &ExplorerCommands::copy},       {"pPrejmenovat", &ExplorerCommands::rename},
        {"pNovyadresar", &ExplorerCommands::newFolder}, {"pSmazat", &ExplorerCommands::remove},
        {"Instalovat1", &ExplorerCommands::install},
    };
    for (const auto &[name, slot] : wiring)
        if (QAction *a = window.action(QString::fromLatin1(name)))
            connect(a, &QAction::triggered, this, slot);
    QTableView *views[] = {tab.computerView(), tab.phoneView()};
    for (const char *name : kPaneActions) {
        QAction *a = window.action(QString::fromLatin1(name));
        if (!a)
            continue;
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        for (QTableView *view : views)
            view->addAction(a);
    }
    for (QTableView *view : views) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this,
                [this, view](const QPoint &pos) { showPopup(view, pos); });
    }
    tab.setDropHandler([this](const QStringList &dropped) { copyDropped(dropped); });
    connect(&tab, &ExplorerTab::phoneFileActivated, this, &ExplorerCommands::openPhoneFile);
}

bool ExplorerCommands::brewAccess() const { return m_window.connection().brewAccess(); }

bool ExplorerCommands::phonePortReady() { return m_window.connection().phonePortReady(); }

link::TransferRequest ExplorerCommands::phoneRequest(link::TransferOp op, const QStringList &captions) const
{
    link::TransferRequest request;
    request.op = op;
    request.phoneFolder = brewAccess() ? brew::brewFolderNames(m_window.connection().brewPath()) : m_window.connection().obexPath();
    request.captions = captions;
    return request;
}

QMenu *ExplorerCommands::popup() const { return m_window.menu(QStringLiteral("Pop1")); }

void ExplorerCommands::prepareExplorerPopup()
{
    QAction *install = m_window.action(QStringLiteral("Instalovat1"));
    if (!install)
        return;
    bool shown = false;
    const QStringList selected = m_tab.selectedCaptions(Pane::Computer);
    if (m_tab.computerView()->hasFocus() && !selected.isEmpty()) {
        const QString caption = selected.first();
        const QString jar = explorer::jarBesideJad(caption);
        shown = !isFolderCaption(caption) &&
                explorer::installOffered(caption, !jar.isEmpty() && QFileInfo::exists(m_tab.computerPath() + jar));
    }
    install->setVisible(shown);
}

void ExplorerCommands::showPopup(QTableView *view, const QPoint &pos)
{
    QMenu *menu = popup();
    if (!menu)
        return;
    view->setFocus(Qt::PopupFocusReason);
    prepareExplorerPopup();
    menu->popup(view->viewport()->mapToGlobal(pos));
}

void ExplorerCommands::runAfterYes(link::TransferRequest request)
{
    askThenTransfer(&m_window, &m_tab, Msg::CopyQuestion, QStringLiteral("Kopírovat vybrané položky?"), std::move(request));
}

// ---- refresh, edit, rename, new folder ---------------------------------------------------

void ExplorerCommands::install()
{
    const QStringList selected = m_tab.selectedCaptions(Pane::Computer);
    if (selected.isEmpty() || isFolderCaption(selected.first()))
        return;
    const QString caption = selected.first();
    const QString folder = m_tab.computerPath();
    const QString lower = caption.toLower();
    InstallerWindow *w = nullptr;
    if (lower.endsWith(u".sdt"_qs))
        w = new InstallerWindow(m_window, {}, {}, folder + caption);
    else if (lower.endsWith(u".jad"_qs))
        w = new InstallerWindow(m_window, folder + explorer::jarBesideJad(caption), folder + caption, {});
    else if (lower.endsWith(u".jar"_qs))
        w = new InstallerWindow(m_window, folder + caption, folder + install::jadBesideJar(caption), {});
    if (!w)
        return;
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowModality(Qt::ApplicationModal);
    // The created JAD shows in the computer pane once the window is gone.
    connect(w, &QObject::destroyed, this, [this] { m_tab.computer().list(m_tab.computerPath()); });
    w->open();
}

void ExplorerCommands::refresh()
{
    if (m_tab.activePane() == Pane::Computer) {
        m_tab.computer().list(m_tab.computerPath());
        m_tab.computer().fillDriveBox();
        return;
    }
    m_tab.phone().refresh();
}

void ExplorerCommands::edit()
{
    const Pane pane = m_tab.activePane();
    const QStringList selected = m_tab.selectedCaptions(pane);
    const QString caption = selected.isEmpty() ? QString() : selected.first();
    if (caption.isEmpty() || isFolderCaption(caption))
        return;
    if (pane == Pane::Computer) {
        startEdit(EditMode::ComputerFile, m_tab.computerPath() + caption, m_tab.computerPath());
        return;
    }
    if (!brewAccess())
        return; // an OBEX file is not edited in place
    const QString folder = m_window.connection().brewPath();
    QPointer<ExplorerCommands> self(this);
    fetchBrewFile(caption, [self, folder](const QString &local) {
        if (self)
            self->startEdit(EditMode::BrewFile, local, folder);
    });
}

void ExplorerCommands::startEdit(EditMode mode, const QString &file, const QString &folder)
{
    const QString editor = m_window.appSettings().editFile;
    ExternalEdit *edit = ExternalEdit::start(editor, file, this);
    if (!edit) {
        showError(&m_window, m_window.message(Msg::EditorNotStarted, QStringLiteral("Editor se nepodařilo spustit: ")) +
                                 (editor.isEmpty() ? QDir::toNativeSeparators(file) : editor));
        return;
    }
    // Each edit keeps its own mode and folder, so overlapping edits follow up each their own way.
    connect(edit, &ExternalEdit::changed, this, [this, mode, folder](const QString &changed) {
        if (mode == EditMode::ComputerFile)
            m_tab.computer().list(folder);
        else if (mode == EditMode::BrewFile)
            offerUpload(&m_window, &m_tab, changed, folder);
    });
}

void ExplorerCommands::rename()
{
    const Pane pane = m_tab.activePane();
    const QStringList selected = m_tab.selectedCaptions(pane);
    if (selected.size() != 1 || explorer::isParentCaption(selected.first()))
        return;
    if (pane == Pane::Phone && (brewAccess() || !phonePortReady()))
        return; // the BREW file system has no rename
    renameRow(&m_window, &m_tab, pane, selected.first());
}

void ExplorerCommands::newFolder()
{
    makeFolder(&m_window, &m_tab, m_tab.activePane());
}

// ---- delete -----------------------------------------------------------------------------

void ExplorerCommands::remove()
{
    if (m_tab.activePane() == Pane::Computer) {
        const QStringList selected = m_tab.selectedCaptions(Pane::Computer);
        if (selected.isEmpty() || explorer::isParentCaption(selected.first()))
            return;
        // The rows selected when the command was given, whatever the question did to the focus.
        askAndRemoveComputerRows(this, &m_window, withoutParent(selected));
        return;
    }
    const QStringList captions = withoutParent(m_tab.selectedCaptions(Pane::Phone));
    if (captions.isEmpty() || !phonePortReady())
        return;
    link::TransferRequest request = phoneRequest(link::TransferOp::Delete, captions);
    if (brewAccess()) {
        askThenBrew(&m_window, &m_tab, Msg::DeletePhoneItemsQuestion, QStringLiteral("Smazat vybrané položky z telefonu?"),
                    QMessageBox::Yes | QMessageBox::No, std::move(request), {});
        return;
    }
    askThenTransfer(&m_window, &m_tab, Msg::DeletePhoneItemsQuestion, QStringLiteral("Smazat vybrané položky z telefonu?"), std::move(request));
}

void ExplorerCommands::removeComputerRows(const QStringList &captions)
{
    const QString folder = m_tab.computerPath();
    QStringList failed;
    for (const QString &caption : captions) {
        if (isFolderCaption(caption)) {
            if (!link::removeLocalTree(folder + bareName(caption))) {
                // What was reached is gone; the pane keeps its rows until the next listing.
                showError(&m_window, m_window.message(Msg::ComputerFolderNotRemoved, QStringLiteral("Adresář nelze smazat.")));
                return;
            }
        } else if (!link::removeLocalFile(folder + caption)) {
            failed << caption + m_window.message(Msg::CannotBeDeleted, QStringLiteral(" – nelze smazat."));
        }
    }
    if (!failed.isEmpty())
        showError(&m_window, failed.join(QLatin1Char('\n')));
    m_tab.computer().list(folder);
}

// ---- copy -------------------------------------------------------------------------------

void ExplorerCommands::upload(QStringList captions, const QString &localFolder)
{
    ConnectionController &connection = m_window.connection();
    m_tab.deselect(Pane::Computer, explorer::kParentCaption);
    if (brewAccess()) {
        captions = withoutParent(captions);
        if (captions.isEmpty() || !phonePortReady())
            return;
        link::TransferRequest brew = phoneRequest(link::TransferOp::Upload, captions);
        brew.localFolder = localFolder;
        askThenBrew(&m_window, &m_tab, Msg::CopyQuestion, QStringLiteral("Kopírovat vybrané položky?"), kYesNoCancel, std::move(brew), {});
        return;
    }
    // No copying into the phone's root, where only the memories are.
    if (connection.obexPath().isEmpty() || !phonePortReady())
        return;
    captions = withoutParent(captions);
    if (captions.isEmpty())
        return;
    link::TransferRequest request = phoneRequest(link::TransferOp::Upload, captions);
    request.localFolder = localFolder;
    runAfterYes(std::move(request));
}

void ExplorerCommands::copy()
{
    if (m_tab.activePane() == Pane::Computer) {
        upload(m_tab.selectedCaptions(Pane::Computer), m_tab.computerPath());
        return;
    }
    const QStringList captions = withoutParent(m_tab.selectedCaptions(Pane::Phone));
    if (captions.isEmpty() || !phonePortReady())
        return;
    if (brewAccess()) {
        link::TransferRequest brew = phoneRequest(link::TransferOp::Download, captions);
        brew.localFolder = m_tab.computerPath();
        QPointer<ExplorerTab> tab(&m_tab);
        askThenBrew(&m_window, &m_tab, Msg::CopyQuestion, QStringLiteral("Kopírovat vybrané položky?"), kYesNoCancel, std::move(brew),
                    [tab](const link::Outcome &) {
                        if (tab)
                            tab->computer().list(tab->computerPath());
                    });
        return;
    }
    link::TransferRequest request = phoneRequest(link::TransferOp::Download, captions);
    request.localFolder = m_tab.computerPath();
    runAfterYes(std::move(request));
}

void ExplorerCommands::copyDropped(const QStringList &droppedList)
{
    // The drop has made the dropped files' folder the computer path for this copy.
    upload(droppedList, m_tab.computerPath());
}

// ---- opening phone files ----------------------------------------------------------------

std::optional<QString> ExplorerCommands::workCopyOf(const QString &caption)
{
    const auto name = brew::safeLocalName(caption);
    if (!name) {
        showError(&m_window, QStringLiteral("The phone file name \"%1\" is not safe as a local file name.").arg(caption));
        return std::nullopt;
    }
    QString problem;
    const QString folder = link::workFolder(&problem);
    if (folder.isEmpty()) {
        showError(&m_window, problem);
        return std::nullopt;
    }
    return QDir(folder).filePath(*name);
}

void ExplorerCommands::fetchBrewFile(const QString &caption, std::function<void(const QString &)> then)
{
    if (!phonePortReady())
        return;
    const auto target = workCopyOf(caption);
    if (!target)
        return;
    link::TransferRequest brew = phoneRequest(link::TransferOp::ReadFile, {});
    brew.name = caption;
    brew.localFile = *target;
    const QString local = *target;
    openBrew(m_window, std::move(brew), [then, local](const link::Outcome &o) {
        if (o.ok())
            then(local);
    });
}

void ExplorerCommands::openPhoneFile(const QString &caption)
{
    if (!phonePortReady())
        return;
    if (brewAccess()) {
        QPointer<MainWindow> window(&m_window);
        fetchBrewFile(caption, [window](const QString &local) {
            if (window)
                openWithShell(local, window);
        });
        return;
    }
    const auto work = workCopyOf(caption);
    if (!work)
        return;
    const QString target = *work;
    if (QFileInfo::exists(target) && !QFile::remove(target)) {
        showError(&m_window, QStringLiteral("Soubor již existuje a nelze smazat"));
        return;
    }
    link::TransferRequest request = phoneRequest(link::TransferOp::ReadFile, {});
    request.name = caption;
    request.localFile = target;
    fetchAndOpen(&m_window, std::move(request));
}

} // namespace vandrel::ui
