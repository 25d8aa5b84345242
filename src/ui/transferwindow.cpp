#include "transferwindow.h"

#include "messagebox.h"
#include "questionasker.h"

#include <link/obextransfer.h>
#include <link/phonelink.h>

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>
#include <climits>
#include <memory>

namespace vandrel::ui {

namespace {
const QString kWaiting = QStringLiteral("Retrieving data. Plesase wait...");

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
    : QDialog(parent), m_link(link), m_request(std::move(request)), m_upper(new QLabel(kWaiting, this)),
      m_lower(new QLabel(kWaiting, this)), m_progress(new QProgressBar(this)), m_messages(messages)
{
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(kCaption);
    m_upper->setObjectName(QStringLiteral("Label2"));
    m_lower->setObjectName(QStringLiteral("Label1"));
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    for (QLabel *l : {m_upper, m_lower})
        l->setTextFormat(Qt::PlainText);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_upper);
    layout->addWidget(m_lower);
    layout->addWidget(m_progress);
    resize(460, 110);
}

TransferWindow::~TransferWindow()
{
    m_link.unregisterWorkWindow(this);
    if (m_transfer)
        m_transfer->cancel();
}

void TransferWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        // The window is on screen before the work starts.
        QTimer::singleShot(0, this, &TransferWindow::start);
    }
}

void TransferWindow::reject()
{
    if (m_working) {
        emit cancelRequested();
        if (m_transfer)
            m_transfer->cancel();
    }
    QDialog::reject();
}

void TransferWindow::setProgress(qint64 value, qint64 maximum)
{
    if (maximum <= 0) {
        m_progress->setRange(0, 1);
        m_progress->setValue(0);
        return;
    }
    // The bar counts in int: large files in kilobytes.
    const qint64 scale = maximum > INT_MAX ? 1024 : 1;
    m_progress->setRange(0, int(maximum / scale));
    m_progress->setValue(int(qBound<qint64>(0, value, maximum) / scale));
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
    m_link.registerWorkWindow(this, [w = QPointer<TransferWindow>(this)] {
        if (w && w->isVisible())
            w->QDialog::reject();
    });
    runTransfer(this, &m_link, &m_messages, m_request);
}

void TransferWindow::workEnded(const link::Outcome &outcome)
{
    m_link.unregisterWorkWindow(this);
    if (outcome.isFailed() && !outcome.isLinkFailure())
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
