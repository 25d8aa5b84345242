#include "transferwindow.h"

#include "messagebox.h"
#include "questionasker.h"

#include <link/obextransfer.h>
#include <link/phonelink.h>

#include <QLabel>
#include <QProgressBar>
#include <memory>

namespace vandrel::ui {

namespace {
QCoro::Task<link::Outcome> startWork(link::ObexTransfer &t, const TransferRequest &r)
{
    using Kind = TransferRequest::Kind;
    switch (r.kind) {
    case Kind::Download: return t.download(r.phonePath, r.captions, r.localFolder);
    case Kind::Upload: return t.upload(r.phonePath, r.captions, r.localFolder);
    case Kind::Delete: return t.remove(r.phonePath, r.captions);
    case Kind::Rename: return t.rename(r.phonePath, r.name, r.newName);
    case Kind::CreateFolder: return t.createFolder(r.phonePath, r.name);
    case Kind::GetFile: break;
    }
    return t.getFile(r.phonePath, r.name, r.localPath);
}
} // namespace

TransferWindow::TransferWindow(link::PhoneLink &link, const settings::MessageTable &messages,
                               TransferRequest request, QWidget *parent)
    : WorkWindow(link, kCaption, QStringLiteral("Progress"), parent), m_request(std::move(request)),
      m_messages(messages)
{
    setObjectName(QStringLiteral("TForm1"));
    progress()->setRange(0, 1);
    progress()->setValue(0);
}

TransferWindow::~TransferWindow()
{
    if (m_transfer)
        m_transfer->cancel();
}

void TransferWindow::cancelWork()
{
    emit cancelRequested();
    if (m_transfer)
        m_transfer->cancel();
}


// Parameters, not lambda captures: they live in the coroutine's frame.
QCoro::Task<void> runTransfer(QPointer<TransferWindow> window, QPointer<link::PhoneLink> phone,
                              const settings::MessageTable *messages, TransferRequest request)
{
    auto asker = std::make_unique<BoxQuestionAsker>(window);
    auto transfer = std::make_unique<link::ObexTransfer>(*phone, *asker);
    transfer->setMessages(messages);
    transfer->setPhoneFreeSpace(request.phoneFreeSpace);
    window->m_transfer = transfer.get();
    window->m_working = true;
    QObject::connect(transfer.get(), &link::ObexTransfer::captionChanged, window,
                     [w = window.data()](const QString &caption) { w->setWindowTitle(caption); });
    QObject::connect(transfer.get(), &link::ObexTransfer::linesChanged, window,
                     [w = window.data()](const QString &upper, const QString &lower) {
                         w->upperLine()->setText(upper);
                         w->lowerLine()->setText(lower);
                     });
    QObject::connect(transfer.get(), &link::ObexTransfer::progressChanged, window,
                     [w = window.data()](qint64 value, qint64 maximum) { w->setProgress(value, maximum); });
    QObject::connect(transfer.get(), &link::ObexTransfer::entryDone, window, &TransferWindow::entryDone);

    const link::Outcome outcome = co_await startWork(*transfer, request);

    if (window) {
        window->m_transfer = nullptr;
        window->m_working = false;
        if (transfer->hasListing())
            emit window->listed(transfer->listing(), transfer->listingPath());
    }
    if (phone && outcome.isLinkFailure())
        phone->handleFailure(outcome); // closes the window as cancelled
    if (window)
        window->workEnded(outcome);
}

void TransferWindow::start()
{
    registerWithLink();
    runTransfer(this, &m_link, &m_messages, m_request);
}

void TransferWindow::workEnded(const link::Outcome &outcome)
{
    m_link.unregisterWorkWindow(this);
    if (outcome.isFailed() && !outcome.isLinkFailure() && !outcome.endedByUser())
        showError(parentWidget(), outcome.detail);
    if (isVisible())
        done(outcome.ok() ? QDialog::Accepted : QDialog::Rejected);
    emit transferEnded(outcome);
    deleteLater();
}

TransferWindow *openTransferWindow(link::PhoneLink &link, const settings::MessageTable &messages,
                                   TransferRequest request, QWidget *parent)
{
    auto *window = new TransferWindow(link, messages, std::move(request), parent);
    window->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    window->open();
    return window;
}

} // namespace vandrel::ui
