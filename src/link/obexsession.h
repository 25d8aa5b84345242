#pragma once
// One OBEX pass on the modem port: connect, walk from the root to the folder, ask the memory
// sizes when due, get the folder listing across as many packets as the phone sends, and leave
// OBEX mode with "+++". No session is kept open between passes.
#include "phonelink.h"

#include <core/explorer/direntry.h>
#include <core/obex/pass.h>

#include <QCoroTask>
#include <QDeadlineTimer>
#include <QObject>
#include <QStringList>
#include <functional>

namespace vandrel::link {

using MemorySizes = obex::MemorySizes;

struct ObexFolder {
    QList<explorer::DirEntry> entries; // as the phone listed them: folders, then files
    MemorySizes memory;
    bool lenient = false;               // the listing was no well-formed XML
};

class ObexSession : public QObject {
    Q_OBJECT
public:
    explicit ObexSession(PhoneLink &link, QObject *parent = nullptr);

    // Every wait of this session ends by `deadline` at the latest (the connecting limit).
    void setDeadline(QDeadlineTimer deadline) { m_deadline = deadline; }
    // Log the connecting window's lines ("Write..ObexConnect", "Write..Entering " ...).
    void setConnectingLog(bool on) { m_connectingLog = on; }
    // Which connection ids the connect and set-path replies may carry (transfers accept fewer).
    void setAcceptance(obex::Acceptance acceptance) { m_acceptance = acceptance; }

    // From AT command mode: re-enter OBEX mode, then the pass below.
    QCoro::Task<Result<ObexFolder>> list(QStringList path, bool sizeQueryPending);
    // The pass, with the phone already in OBEX mode.
    QCoro::Task<Result<ObexFolder>> listInObexMode(QStringList path, bool sizeQueryPending);

    // The pieces, for transfers.
    QCoro::Task<Outcome> connect();
    QCoro::Task<Outcome> walk(const QStringList &path);
    QCoro::Task<Result<MemorySizes>> memorySizes(obex::MemoryRoot root);
    QCoro::Task<Result<QList<explorer::DirEntry>>> folderListing(bool *lenient = nullptr);
    // "+++": the phone leaves OBEX mode.
    void leaveObexMode();

    // Sends `packet` (and a CR when asked) and waits for the next whole reply packet.
    QCoro::Task<Result<QByteArray>> request(QByteArray packet, bool appendCR);

    // Sends `bytes` and hands each whole reply to `judge` (an engine's onReply) until it
    // decides something; lines it passes over are logged, "ERROR" ends as PhoneError. The
    // reply that decided comes with the decision.
    using Judge = std::function<obex::Next(QByteArrayView reply)>;
    struct Answer {
        obex::Next next;
        QByteArray reply;
    };
    QCoro::Task<Result<Answer>> converse(QByteArray bytes, Judge judge);

private:
    // The steps of `plan` by the pass engine, logged as the connecting window logs them.
    QCoro::Task<Outcome> run(obex::Pass &pass, obex::PassPlan plan);
    std::chrono::milliseconds limit() const;
    void log(const QString &line);
    void logAlways(const QByteArray &line);

    PhoneLink &m_link;
    QDeadlineTimer m_deadline{QDeadlineTimer::Forever};
    bool m_connectingLog = false;
    obex::Acceptance m_acceptance = obex::Acceptance::Explorer;
};

} // namespace vandrel::link
