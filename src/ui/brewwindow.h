#pragma once
// TBrewForm: the small progress window every multi-step operation on the BREW file system runs
// in. It starts its operation once it is on screen and closes itself when the operation ends;
// closing it cancels at once. Copies, deletes and new folders hand out the phone folder's new
// listing; a read hands out the bytes.
#include <core/settings/messagetable.h>
#include <link/brewsession.h>

#include <QByteArray>
#include <QCoroTask>
#include "workwindow.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <utility>

class QLabel;
class QProgressBar;

namespace vandrel::link {
class BrewTransfer;
class PhoneLink;
} // namespace vandrel::link

namespace vandrel::ui {

struct BrewRequest {
    int brewState = 0;          // 2 read, 3 new folder, 6 write, 7 upload, 8 delete, 12 download
    QString brewPath;           // the phone folder the pane shows: "" root, else names each + "/"
    QStringList captions;       // 7: selected computer rows; 8, 12: selected phone rows ("[x]" folders)
    QString brewLocalDir;       // 7: the folder the captions are in; 12: the target folder
    QString brewName;           // 2: the phone file (folder + name); 6: the phone target name
    QString brewMemoryTarget;   // 2: the local file to save into; empty = memory only
    QString brewUploadFile;     // 6: the local source
    QString newFolderName;      // 3
    bool brewDirWarning = true; // the setting "BrewDirWarning"
};

class BrewWindow : public WorkWindow {
    Q_OBJECT
public:
    BrewWindow(link::PhoneLink &link, const settings::MessageTable &messages, BrewRequest request,
               QWidget *parent = nullptr);
    ~BrewWindow() override;

    link::BrewTransfer *transfer() const { return m_transfer; }
    const BrewRequest &request() const { return m_request; }

signals:
    // The phone folder's listing at the end of a copy, a delete or a new folder.
    void listed(const link::BrewFolder &folder);
    // A selected row has been handled (the pane may deselect it).
    void entryDone(const QString &caption);
    // The operation has ended and the window is closed; `memory`: the bytes of a read.
    void finished(const link::Outcome &outcome, const QByteArray &memory);

private:
    // The close box, Escape and Alt+F4 (reject): the wait in flight ends, the operation stops.
    void cancelWork() override;
    void start() override;
    void workEnded(const link::Outcome &outcome, const QByteArray &memory);

    const settings::MessageTable &m_messages;
    BrewRequest m_request;
    link::BrewTransfer *m_transfer = nullptr;
    friend QCoro::Task<void> runBrew(QPointer<BrewWindow> window, QPointer<link::PhoneLink> phone,
                                     const settings::MessageTable *messages, BrewRequest request);
};

// Opens it window-modal over parent (application-modal without), starts once shown, deletes itself.
BrewWindow *openBrewWindow(link::PhoneLink &link, const settings::MessageTable &messages, BrewRequest request,
                           QWidget *parent);
// The same, awaited: the outcome and, for state 2, the bytes read.
QCoro::Task<std::pair<link::Outcome, QByteArray>> runBrewWindow(link::PhoneLink &link,
                                                                const settings::MessageTable &messages,
                                                                BrewRequest request, QWidget *parent);

} // namespace vandrel::ui
