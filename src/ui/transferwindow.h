#pragma once
// The window every copy, delete, new folder, rename, read and write on the phone runs in,
// over either access mode (objectName TForm1 for OBEX, TBrewForm for the BREW file system). Two text lines
// and a progress bar worded from the transfer's events; closing it cancels at once. When the
// work ends it reports how, hands over the listing the phone pane shows next (and the bytes of
// a read), and goes away.
#include "workwindow.h"

#include <core/settings/messagetable.h>
#include <link/brewsession.h>
#include <link/obexsession.h>
#include <link/transfer.h>

#include <QByteArray>
#include <QCoroTask>
#include <QPointer>
#include <QStringList>
#include <utility>

namespace vandrel::link {
class PhoneLink;
} // namespace vandrel::link

namespace vandrel::ui {

enum class Access { Obex, Brew };

class TransferWindow : public WorkWindow {
    Q_OBJECT
public:
    TransferWindow(link::PhoneLink &link, const settings::MessageTable &messages, Access access,
                   link::TransferRequest request, QWidget *parent = nullptr);
    ~TransferWindow() override;

    Access access() const { return m_access; }
    const link::TransferRequest &request() const { return m_request; }
    link::Transfer *transfer() const { return m_transfer; }

signals:
    // The folder the phone pane is to show now, as the phone listed it at the end.
    void obexListed(const link::ObexFolder &folder, const QStringList &path);
    void brewListed(const link::BrewFolder &folder);
    // A selected row has been handled: the pane deselects it.
    void entryDone(const QString &caption);
    // Closed by the user: every selected row of both panes is deselected.
    void cancelRequested();
    // The work has ended and the window is closed; `memory`: the bytes of a read.
    void finished(const link::Outcome &outcome, const QByteArray &memory);

private:
    // The close box, Escape and Alt+F4 (reject): the wait in flight ends, the operation stops.
    void cancelWork() override;
    void start() override;
    void workEnded(const link::Outcome &outcome, const QByteArray &memory);
    QString words(settings::Msg m, const QString &builtIn) const;
    QString lineText(const link::TransferLine &line) const;
    QString phaseText(link::TransferPhase phase) const;

    const settings::MessageTable &m_messages;
    const Access m_access;
    const link::TransferRequest m_request;
    link::Transfer *m_transfer = nullptr;
    friend QCoro::Task<void> runTransfer(QPointer<TransferWindow> window, QPointer<link::PhoneLink> phone);
};

// A failure the transfer left to the program's words, worded; any other failure's detail.
QString outcomeText(const link::Outcome &outcome, const settings::MessageTable &messages);

// Opens it window-modal over parent (application-modal without), starts once shown, deletes itself.
TransferWindow *openTransferWindow(link::PhoneLink &link, const settings::MessageTable &messages, Access access,
                                   link::TransferRequest request, QWidget *parent);
// The same, awaited: the outcome and, for a read, the bytes.
QCoro::Task<std::pair<link::Outcome, QByteArray>> runTransferWindow(link::PhoneLink &link,
                                                                    const settings::MessageTable &messages,
                                                                    Access access, link::TransferRequest request,
                                                                    QWidget *parent);

} // namespace vandrel::ui
