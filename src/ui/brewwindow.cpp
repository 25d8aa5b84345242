#include "brewwindow.h"

#include "messagebox.h"
#include "oncerelay.h"
#include "questionasker.h"
#include "questionbox.h"

#include <link/brewtransfer.h>
#include <link/phonelink.h>

#include <QCoroSignal>
#include <QMessageBox>
#include <QLabel>
#include <QProgressBar>
#include <memory>

namespace vandrel::ui {

namespace {

const QString kBrewCaption = QStringLiteral("Vandrel Controller Brew");
constexpr int kInitialMaximum = 1000;

// The folder warning of a delete: the question box with the warning icon.
class WarningAsker final : public link::QuestionAsker {
public:
    explicit WarningAsker(QWidget *parent) : m_parent(parent), m_plain(parent) {}
    QCoro::Task<link::Answer> askOverwrite(QString text) override { return m_plain.askOverwrite(std::move(text)); }
    QCoro::Task<link::Answer> askYesNoCancel(QString text) override
    {
        const auto button = co_await ask(m_parent, text, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                         QMessageBox::Warning);
        co_return button == QMessageBox::Yes ? link::Answer::Yes
            : button == QMessageBox::No      ? link::Answer::No
                                             : link::Answer::Cancel;
    }

private:
    QPointer<QWidget> m_parent;
    BoxQuestionAsker m_plain;
};

// The end of one window; a window that went away without ending (its parent closed) ends as
// cancelled.
struct EndRelay : OnceRelay {
    link::Outcome outcome = link::Outcome::cancelled();
    QByteArray memory;
};

} // namespace

BrewWindow::BrewWindow(link::PhoneLink &link, const settings::MessageTable &messages, BrewRequest request,
                       QWidget *parent)
    : WorkWindow(link, kBrewCaption, QStringLiteral("ProgressBar1"), parent), m_messages(messages),
      m_request(std::move(request))
{
    setObjectName(QStringLiteral("TBrewForm"));
    progress()->setRange(0, kInitialMaximum);
    progress()->setValue(0);
    // Nothing to count (an empty file): the bar shows it complete.
    m_emptyShowsComplete = true;
}

BrewWindow::~BrewWindow()
{
    if (m_transfer)
        m_transfer->cancel();
}

void BrewWindow::cancelWork()
{
    if (m_transfer)
        m_transfer->cancel();
}


// Parameters, not lambda captures: they live in the coroutine's frame.
QCoro::Task<void> runBrew(QPointer<BrewWindow> window, QPointer<link::PhoneLink> phone,
                          const settings::MessageTable *messages, BrewRequest request)
{
    auto asker = std::make_unique<BoxQuestionAsker>(window);
    auto warning = std::make_unique<WarningAsker>(window);
    auto transfer = std::make_unique<link::BrewTransfer>(*phone, *asker);
    transfer->setMessages(messages);
    transfer->setWarningAsker(warning.get());
    window->m_transfer = transfer.get();
    window->m_working = true;
    BrewWindow *w = window.data();
    QObject::connect(transfer.get(), &link::BrewTransfer::captionChanged, w, &QWidget::setWindowTitle);
    QObject::connect(transfer.get(), &link::BrewTransfer::linesChanged, w,
                     [w](const QString &upper, const QString &lower) {
                         w->upperLine()->setText(upper);
                         w->lowerLine()->setText(lower);
                     });
    QObject::connect(transfer.get(), &link::BrewTransfer::progressChanged, w,
                     [w](qint64 value, qint64 maximum) { w->setProgress(value, maximum); });
    QObject::connect(transfer.get(), &link::BrewTransfer::entryDone, w, &BrewWindow::entryDone);

    link::Outcome outcome;
    QByteArray memory;
    const BrewRequest &r = request;
    if (r.brewState == 2) {
        auto read = co_await transfer->readFile(r.brewName, r.brewMemoryTarget);
        outcome = read.outcome;
        memory = std::move(read.value);
    } else if (r.brewState == 3) {
        outcome = co_await transfer->createFolder(r.brewPath, r.newFolderName);
    } else if (r.brewState == 6) {
        outcome = co_await transfer->writeFile(r.brewUploadFile, r.brewName);
    } else if (r.brewState == 7) {
        outcome = co_await transfer->upload(r.brewPath, r.captions, r.brewLocalDir);
    } else if (r.brewState == 8) {
        outcome = co_await transfer->remove(r.brewPath, r.captions, r.brewDirWarning);
    } else if (r.brewState == 12) {
        outcome = co_await transfer->download(r.brewPath, r.captions, r.brewLocalDir);
    } else {
        outcome = link::Outcome::failed(link::FailureKind::Usage,
                                        QStringLiteral("There is no BREW operation %1.").arg(r.brewState));
    }

    if (window) {
        window->m_transfer = nullptr;
        window->m_working = false;
        if (transfer->hasListing())
            emit window->listed(transfer->listing());
    }
    if (phone && outcome.isLinkFailure())
        phone->handleFailure(outcome); // closes the window as cancelled
    if (window)
        window->workEnded(outcome, memory);
}

void BrewWindow::start()
{
    // Closed before its work began: nothing was sent, nothing is to be undone.
    if (!isVisible()) {
        workEnded(link::Outcome::cancelled(), {});
        return;
    }
    registerWithLink();
    runBrew(this, &m_link, &m_messages, m_request);
}

void BrewWindow::workEnded(const link::Outcome &outcome, const QByteArray &memory)
{
    m_link.unregisterWorkWindow(this);
    if (outcome.isFailed() && !outcome.isLinkFailure() && !outcome.endedByUser())
        showError(parentWidget(), outcome.detail);
    if (isVisible())
        done(outcome.ok() ? QDialog::Accepted : QDialog::Rejected);
    emit finished(outcome, memory);
    deleteLater();
}

BrewWindow *openBrewWindow(link::PhoneLink &link, const settings::MessageTable &messages, BrewRequest request,
                           QWidget *parent)
{
    auto *window = new BrewWindow(link, messages, std::move(request), parent);
    window->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    window->show();
    return window;
}

QCoro::Task<std::pair<link::Outcome, QByteArray>> runBrewWindow(link::PhoneLink &link,
                                                                const settings::MessageTable &messages,
                                                                BrewRequest request, QWidget *parent)
{
    auto relay = std::make_unique<EndRelay>();
    EndRelay *r = relay.get();
    BrewWindow *window = openBrewWindow(link, messages, std::move(request), parent);
    QObject::connect(window, qOverload<const link::Outcome &, const QByteArray &>(&BrewWindow::finished), r,
                     [r](const link::Outcome &outcome, const QByteArray &memory) {
                         r->outcome = outcome;
                         r->memory = memory;
                         r->finish();
                     });
    QObject::connect(window, &QObject::destroyed, r, [r] { r->finish(); });
    co_await qCoro(r, &OnceRelay::fired);
    co_return std::pair{r->outcome, r->memory};
}

} // namespace vandrel::ui

