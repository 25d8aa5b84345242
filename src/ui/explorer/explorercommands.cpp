#include "explorercommands.h"

#include "explorertab.h"

#include <core/explorer/direntry.h>
#include <ui/connection.h>
#include <ui/mainwindow.h>
#include <ui/questionbox.h>
#include <ui/transferwindow.h>

#include <QAction>
#include <QPointer>

namespace vandrel::ui {

namespace {

QStringList withoutParent(QStringList captions)
{
    captions.removeAll(explorer::kParentCaption);
    return captions;
}

// Parameters, not captures: they live in the coroutine's frame.
QCoro::Task<void> askThenTransfer(QPointer<MainWindow> window, QPointer<ExplorerTab> tab, TransferRequest request)
{
    const auto answer = co_await ask(window, window->message(53, QStringLiteral("Copy the selected items?")),
                                     QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (!window || !tab || answer != QMessageBox::Yes)
        co_return;
    ConnectionController &connection = window->connection();
    TransferWindow *transfer = openTransferWindow(window->phoneLink(), window->messages(), request, window);
    QObject::connect(transfer, &TransferWindow::listed, &connection, &ConnectionController::obexListing);
    QObject::connect(transfer, &TransferWindow::transferEnded, tab, [tab](const link::Outcome &) {
        tab->PCFolderListing(tab->computerPath());
    });
}

} // namespace

ExplorerCommands::ExplorerCommands(MainWindow &window, ExplorerTab &tab) : QObject(&tab), m_window(window), m_tab(tab)
{
    if (QAction *copyAction = window.action(QStringLiteral("pKopirovat")))
        connect(copyAction, &QAction::triggered, this, &ExplorerCommands::copy);
    tab.setDropHandler([this](const QStringList &dropped) { copyDropped(dropped); });
}

void ExplorerCommands::runAfterYes(TransferRequest request)
{
    askThenTransfer(&m_window, &m_tab, std::move(request));
}

void ExplorerCommands::upload(QStringList captions, const QString &localFolder)
{
    ConnectionController &connection = m_window.connection();
    // No copying into the phone's root, where only the memories are.
    if (connection.obexPath().isEmpty() || !m_window.phoneLink().port()->isOpen())
        return;
    captions = withoutParent(captions);
    if (captions.isEmpty())
        return;
    TransferRequest request;
    request.kind = TransferRequest::Kind::Upload;
    request.phonePath = connection.obexPath();
    request.captions = captions;
    request.localFolder = localFolder;
    runAfterYes(std::move(request));
}

void ExplorerCommands::copy()
{
    if (m_window.connection().accessMode() != AccessMode::Obex)
        return; // the BREW transfer window takes these
    if (m_tab.activePane() == ExplorerTab::Pane::Computer) {
        upload(m_tab.selectedCaptions(ExplorerTab::Pane::Computer), m_tab.computerPath());
        return;
    }
    const QStringList captions = withoutParent(m_tab.selectedCaptions(ExplorerTab::Pane::Phone));
    if (captions.isEmpty() || !m_window.phoneLink().port()->isOpen())
        return;
    TransferRequest request;
    request.kind = TransferRequest::Kind::Download;
    request.phonePath = m_window.connection().obexPath();
    request.captions = captions;
    request.localFolder = m_tab.computerPath();
    runAfterYes(std::move(request));
}

void ExplorerCommands::copyDropped(const QStringList &droppedList)
{
    // The drop has made the dropped files' folder the computer path for this copy.
    upload(droppedList, m_tab.computerPath());
}

} // namespace vandrel::ui
