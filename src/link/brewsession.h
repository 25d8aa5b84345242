#pragma once
// The BREW file system on the diagnostic port: folder listings, reads into a folder or into
// memory, writes, removals, new folders and the free space. Each operation claims the port,
// sends one request at a time and awaits whole frames; the bytes themselves come from the
// core engines. A frame that does not answer the request in flight is passed over.
#include "phonelink.h"

#include <core/brew/paths.h>
#include <core/brew/replies.h>
#include <core/brew/step.h>
#include <core/explorer/direntry.h>

#include <QCoroTask>
#include <QDeadlineTimer>
#include <QObject>
#include <chrono>
#include <functional>
#include <optional>

namespace vandrel::link {

struct BrewFolder {
    QString path;                        // as asked: "" the root, else names each followed by "/"
    QList<explorer::DirEntry> entries;   // folders, then files, as the phone listed them
    std::optional<quint32> freeBytes;    // the free space asked at the listing end

    // The rows of the phone pane: "[..]" first inside a folder (and alone in an empty root).
    QList<explorer::DirEntry> paneRows() const;
    const explorer::DirEntry *find(const QString &name) const;
};

// How far a write got. `begun`: the phone took (or may have taken) a block of the new content,
// so what stood under the name before is gone; a first block refused leaves it as it was.
struct BrewWrite {
    Outcome outcome;
    bool begun = false;
};

class BrewSession : public QObject {
    Q_OBJECT
public:
    // Times a refused read starts again from its first block before the refusal is reported.
    static constexpr int kReadRestarts = 3;
    // Times a damaged reply (wrong check value) is asked for again where asking is harmless.
    static constexpr int kDamagedRetries = 3;

    explicit BrewSession(PhoneLink &link, QObject *parent = nullptr);

    // Folders, then files, of `path`; with `withFreeSpace` (the explorer without a transfer
    // window) the free space is asked at the end. 59 0A 08 ends as NotFound.
    QCoro::Task<Result<BrewFolder>> listBrewFolder(QString path, bool withFreeSpace = false);
    QCoro::Task<Result<quint32>> requestBrewFreeSpace();

    // Reads `folder` + `name`. The bytes are the result (brewMemoryData); they are also saved
    // as `brewMemoryTarget`, or else under `name` in `brewLocalDir`, through a temporary file
    // that replaces the target only once the whole file has arrived.
    QCoro::Task<Result<QByteArray>> readBrewFile(QString folder, QString name, QString brewLocalDir = {},
                                                 QString brewMemoryTarget = {});
    // Writes a local file, or bytes, to the phone name `phoneName` (full path), over a file
    // of that name if there is one.
    QCoro::Task<BrewWrite> writeBrewFile(QString localFile, QString phoneName);
    QCoro::Task<BrewWrite> writeBrewData(QByteArray data, QString phoneName);
    // "[path]" (brackets taken away) removes a folder, anything else a file; "[..]" nothing.
    QCoro::Task<Outcome> removeBrewEntry(QString entry);
    // The same without captions: a file, or a folder (its path sent as given).
    QCoro::Task<Outcome> removeBrewFile(QString phoneName) { return removeBrew(std::move(phoneName), false); }
    QCoro::Task<Outcome> removeBrewFolder(QString phonePath) { return removeBrew(std::move(phonePath), true); }
    // Creates `brewPath` + `name` (brackets around the name taken away). Status 7 is Refused.
    QCoro::Task<Outcome> makeBrewFolder(QString brewPath, QString name);

    // The display capture: the request, its acknowledgement, then "DispCapture.bmp" read from
    // the root into memory. The bytes are the picture as the phone made it.
    QCoro::Task<Result<QByteArray>> captureDisplay();

    // Ends the exchange in flight: its wait ends as cancelled.
    void cancelWait();
    // After a cancelled exchange: the reply the phone still owed is awaited (at most `limit`)
    // and dropped, so that it cannot pass for the answer to the next request. Returns its
    // payload (empty when none came).
    QCoro::Task<QByteArray> dropLateReply(std::chrono::milliseconds limit);

signals:
    // Bytes of the file in transfer moved so far, of `total`.
    void progress(qint64 done, qint64 total);

private:
    struct Reply {
        QByteArray payload;
        bool damaged = false;
    };
    struct Answer {
        brew::Next next;
        QByteArray payload;  // the reply that decided
    };
    using Judge = std::function<brew::Next(QByteArrayView)>;
    struct Exchange;

    QCoro::Task<Outcome> removeBrew(QString name, bool folder);
    // A request answered by one status reply: Done completes, any other status is Refused.
    using StatusParser = std::optional<brew::Status> (*)(QByteArrayView);
    QCoro::Task<Outcome> statusRequest(Checked<QByteArray> request, StatusParser parse, QString failure);
    Outcome sendPayload(const QByteArray &payload);
    QCoro::Task<Result<Reply>> nextReply(QDeadlineTimer deadline);
    // Sends `request` and hands each reply to `judge` until it decides. A damaged reply is
    // asked for again only when the request is `repeatable`.
    QCoro::Task<Result<Answer>> converse(QByteArray request, bool repeatable, Judge judge);

    PhoneLink &m_link;
    bool m_cancelled = false;
    int m_depth = 0;
};

// How an error frame (0x13, 0x14, 0x15) or refusal is told.
QString describeBrewError(QByteArrayView payload);

} // namespace vandrel::link
