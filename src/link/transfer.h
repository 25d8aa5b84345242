#pragma once
// What the OBEX and the BREW transfers have in common: one request, one set of events, one way
// to run and to cancel. The events are typed; the windows and the command line word them.
#include "result.h"

#include <QByteArray>
#include <QCoroTask>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

namespace vandrel::link {

enum class TransferOp {
    Download,     // phone rows (folders with everything in them) into a computer folder
    Upload,       // computer rows into the phone folder
    Delete,       // phone rows, folders with everything in them
    CreateFolder, // `name` in the phone folder
    Rename,       // `name` to `newName` (OBEX only: the BREW file system has no rename)
    ReadFile,     // the phone file `name` into memory and, when given, into `localFile`
    WriteFile,    // the computer file `localFile` to the phone file `name`, over one that is there
};

struct TransferRequest {
    TransferOp op = TransferOp::Download;
    QStringList phoneFolder;          // names from the phone's root
    QStringList captions;             // the rows, folders in brackets
    QString localFolder;              // where downloads go, where uploads come from
    QString name;
    QString newName;
    QString localFile;
    bool folderWarning = true;        // a BREW delete warns once before a folder goes
    std::optional<quint64> phoneFree; // an OBEX upload checks sizes against it
};

// What the work is doing now (the window's caption).
enum class TransferPhase { Downloading, Uploading, Deleting };

// One line of a progress window: a prefix the words of which are the window's, and a path.
enum class LinePrefix { None, From, To };
struct TransferLine {
    LinePrefix prefix = LinePrefix::None;
    QString text;
    friend bool operator==(const TransferLine &, const TransferLine &) = default;
};

class Transfer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Runs one request; the bytes of a read are the result's value.
    virtual QCoro::Task<Result<QByteArray>> run(TransferRequest request) = 0;
    // Ends the wait in flight at once; the work stops at its next step.
    virtual void cancel() = 0;
    virtual bool isCancelled() const = 0;
    virtual bool isRunning() const = 0;

signals:
    void phaseChanged(link::TransferPhase phase);
    void linesChanged(const link::TransferLine &upper, const link::TransferLine &lower);
    void progressChanged(qint64 done, qint64 total);
    // A selected row has been handled (the pane may deselect it).
    void entryDone(const QString &caption);
    // Something asked for that was not done (a name passed over), in the program's words.
    void warning(const QString &text);
};

} // namespace vandrel::link

Q_DECLARE_METATYPE(vandrel::link::TransferLine)
