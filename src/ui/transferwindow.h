#pragma once
// TForm1: the window every OBEX change and copy runs in. Two text lines and a progress bar;
// closing it cancels at once. When the work ends it reports how, hands over the listing the
// phone pane shows next, and goes away.
#include <core/settings/messagetable.h>
#include <link/obexsession.h>

#include <QCoroTask>
#include "workwindow.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <optional>

class QLabel;
class QProgressBar;

namespace vandrel::link {
class ObexTransfer;
class PhoneLink;
} // namespace vandrel::link

namespace vandrel::ui {

struct TransferRequest {
    enum class Kind { Download, Upload, Delete, Rename, CreateFolder, GetFile };
    Kind kind = Kind::Download;
    QStringList phonePath;     // the phone folder the operation works in
    QStringList captions;      // download, upload, delete: the rows, folders as "[name]"
    QString localFolder;       // download: the target; upload: where the captions are
    QString name;              // rename: the old name; new folder; get file: the phone file
    QString newName;           // rename
    QString localPath;         // get file: the fixed target
    std::optional<quint64> phoneFreeSpace; // from the last memory query, when there was one
};

class TransferWindow : public WorkWindow {
    Q_OBJECT
public:
    TransferWindow(link::PhoneLink &link, const settings::MessageTable &messages, TransferRequest request,
                   QWidget *parent = nullptr);
    ~TransferWindow() override;

    link::ObexTransfer *transfer() const { return m_transfer; }

signals:
    // The work has ended (after the window closed when it was cancelled).
    void transferEnded(const link::Outcome &outcome);
    // The folder the phone pane is to show now, as the phone listed it at the end.
    void listed(const link::ObexFolder &folder, const QStringList &path);
    // A top-level row has been handled: the pane deselects it.
    void entryDone(const QString &caption);
    // Closed by the user: every selected row of both panes is deselected.
    void cancelRequested();

private:
    // The close box, Escape and Alt+F4 (reject): the wait in flight ends, the operation stops.
    void cancelWork() override;
    void start() override;
    void workEnded(const link::Outcome &outcome);

    TransferRequest m_request;
    link::ObexTransfer *m_transfer = nullptr;
    const settings::MessageTable &m_messages;
    friend QCoro::Task<void> runTransfer(QPointer<TransferWindow> window, QPointer<link::PhoneLink> phone,
                                        const settings::MessageTable *messages, TransferRequest request);
};

// Opens the transfer window modal over `parent` and starts the request once it is on screen.
// The window deletes itself when the work has ended.
TransferWindow *openTransferWindow(link::PhoneLink &link, const settings::MessageTable &messages,
                                   TransferRequest request, QWidget *parent);

} // namespace vandrel::ui
