#include "transferwindow.h"

#include "messagebox.h"
#include "oncerelay.h"
#include "questionasker.h"

#include <link/brewtransfer.h>
#include <link/obextransfer.h>
#include <link/phonelink.h>

#include <QCoroSignal>
#include <QLabel>
#include <QProgressBar>
#include <memory>

namespace vandrel::ui {

using settings::Msg;

namespace {

const QString kBrewCaption = QStringLiteral("Vandrel Controller Brew");
constexpr int kBrewInitialMaximum = 1000;
// Between "From:" / "To:" and the path.
constexpr auto kLineGap = QLatin1StringView("      ");

// The end of one window; a window that went away without ending (its parent closed) ends as
// cancelled.
struct EndRelay : OnceRelay {
    link::Outcome outcome = link::Outcome::cancelled();
    QByteArray memory;
};

} // namespace

QString outcomeText(const link::Outcome &outcome, const settings::MessageTable &messages)
{
    switch (outcome.wording) {
    case link::Wording::None: break;
    case link::Wording::NotEnoughSpace: return wordsOf(messages, Msg::NotEnoughSpace, QStringLiteral("Not enough free space!"));
    case link::Wording::CannotOpenFile:
        return wordsOf(messages, Msg::CannotOpenFile, QStringLiteral("Cannot open the file ")) + outcome.detail;
    case link::Wording::NoSuchPhoneFile: return QStringLiteral("Daný soubor neexistuje!");
    }
    return outcome.detail;
}

TransferWindow::TransferWindow(link::PhoneLink &link, const settings::MessageTable &messages, Access access,
                               link::TransferRequest request, QWidget *parent)
    : WorkWindow(link, access == Access::Brew ? kBrewCaption : kCaption,
                 access == Access::Brew ? QStringLiteral("ProgressBar1") : QStringLiteral("Progress"), parent),
      m_messages(messages), m_access(access), m_request(std::move(request))
{
    if (access == Access::Brew) {
        setObjectName(QStringLiteral("TBrewForm"));
        progress()->setRange(0, kBrewInitialMaximum);
        // Nothing to count (an empty file): the bar shows it complete.
        m_emptyShowsComplete = true;
    } else {
        setObjectName(QStringLiteral("TForm1"));
        progress()->setRange(0, 1);
    }
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

QString TransferWindow::words(Msg m, const QString &builtIn) const { return wordsOf(m_messages, m, builtIn); }

QString TransferWindow::lineText(const link::TransferLine &line) const
{
    switch (line.prefix) {
    case link::LinePrefix::None: break;
    case link::LinePrefix::From: return words(Msg::FromPrefix, QStringLiteral("From:")) + kLineGap + line.text;
    case link::LinePrefix::To: return words(Msg::ToPrefix, QStringLiteral("To:")) + kLineGap + line.text;
    }
    return line.text;
}

QString TransferWindow::phaseText(link::TransferPhase phase) const
{
    switch (phase) {
    case link::TransferPhase::Downloading: return words(Msg::CaptionDownloading, QStringLiteral("Downloading from the phone"));
    case link::TransferPhase::Uploading: return words(Msg::CaptionUploading, QStringLiteral("Uploading to the phone"));
    case link::TransferPhase::Deleting: break;
    }
    return words(Msg::CaptionDeleting, QStringLiteral("Deleting"));
}

// Parameters, not lambda captures: they live in the coroutine's frame.
QCoro::Task<void> runTransfer(QPointer<TransferWindow> window, QPointer<link::PhoneLink> phone)
{
    auto asker = std::make_unique<BoxQuestionAsker>(window, window->m_messages);
    std::unique_ptr<link::Transfer> transfer;
    link::ObexTransfer *obex = nullptr;
    link::BrewTransfer *brew = nullptr;
    if (window->m_access == Access::Brew)
        transfer.reset(brew = new link::BrewTransfer(*phone, *asker));
    else
        transfer.reset(obex = new link::ObexTransfer(*phone, *asker));
    window->m_transfer = transfer.get();
    window->m_working = true;
    TransferWindow *w = window.data();
    QObject::connect(transfer.get(), &link::Transfer::phaseChanged, w,
                     [w](link::TransferPhase phase) { w->setWindowTitle(w->phaseText(phase)); });
    QObject::connect(transfer.get(), &link::Transfer::linesChanged, w,
                     [w](const link::TransferLine &upper, const link::TransferLine &lower) {
                         w->upperLine()->setText(w->lineText(upper));
                         w->lowerLine()->setText(w->lineText(lower));
                     });
    QObject::connect(transfer.get(), &link::Transfer::progressChanged, w,
                     [w](qint64 done, qint64 total) { w->setProgress(done, total); });
    QObject::connect(transfer.get(), &link::Transfer::entryDone, w, &TransferWindow::entryDone);

    auto result = co_await transfer->run(window->m_request);

    if (window) {
        window->m_transfer = nullptr;
        window->m_working = false;
        if (obex && obex->hasListing())
            emit window->obexListed(obex->listing(), obex->listingPath());
        if (brew && brew->hasListing())
            emit window->brewListed(brew->listing());
    }
    if (phone && result.outcome.isLinkFailure())
        phone->handleFailure(result.outcome); // closes the window as cancelled
    if (window)
        window->workEnded(result.outcome, result.value);
}

void TransferWindow::start()
{
    // Closed before its work began: nothing was sent, nothing is to be undone.
    if (!isVisible()) {
        workEnded(link::Outcome::cancelled(), {});
        return;
    }
    registerWithLink();
    runTransfer(this, &m_link);
}

void TransferWindow::workEnded(const link::Outcome &outcome, const QByteArray &memory)
{
    m_link.unregisterWorkWindow(this);
    if (outcome.isFailed() && !outcome.isLinkFailure() && !outcome.endedByUser())
        showError(parentWidget(), outcomeText(outcome, m_messages));
    if (isVisible())
        done(outcome.ok() ? QDialog::Accepted : QDialog::Rejected);
    emit finished(outcome, memory);
    deleteLater();
}

TransferWindow *openTransferWindow(link::PhoneLink &link, const settings::MessageTable &messages, Access access,
                                   link::TransferRequest request, QWidget *parent)
{
    auto *window = new TransferWindow(link, messages, access, std::move(request), parent);
    window->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    window->show();
    return window;
}

QCoro::Task<std::pair<link::Outcome, QByteArray>> runTransferWindow(link::PhoneLink &link,
                                                                    const settings::MessageTable &messages,
                                                                    Access access, link::TransferRequest request,
                                                                    QWidget *parent)
{
    auto relay = std::make_unique<EndRelay>();
    EndRelay *r = relay.get();
    TransferWindow *window = openTransferWindow(link, messages, access, std::move(request), parent);
    QObject::connect(window, &TransferWindow::finished, r, [r](const link::Outcome &outcome, const QByteArray &memory) {
        r->outcome = outcome;
        r->memory = memory;
        r->finish();
    });
    QObject::connect(window, &QObject::destroyed, r, [r] { r->finish(); });
    co_await qCoro(r, &OnceRelay::fired);
    co_return std::pair{r->outcome, r->memory};
}

} // namespace vandrel::ui
