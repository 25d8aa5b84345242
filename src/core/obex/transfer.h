#pragma once
// The OBEX exchanges of the transfer window's work: a file's GET with its continuation GETs,
// an upload to "~name.tmp" with its attributes and final move, and the requests answered by
// one success reply (delete, rename, new folder, set-path in and out). Each engine takes whole
// replies (cut by replyLength) and says what comes next; files stay with the caller.
#include "packets.h"
#include "step.h"

#include <QDateTime>
#include <QStringList>

namespace vandrel::obex {

// One file by GET: the first reply may announce the size (Length), every reply carries a piece
// of the body; the phone continues (0x90) until its final reply, which ends the file either
// with the last piece in End-of-Body or with an empty End-of-Body of its own.
class Download {
public:
    explicit Download(Acceptance acceptance = Acceptance::Transfer) : m_acceptance(acceptance) {}
    // The GET, or Invalid for a name no request can carry.
    Next start(QStringView name);
    // Send (the continuation GET), Done, NotFound, Refused, Malformed, PhoneError or Ignored.
    // The data of a reply that says Send or Done is in data().
    Next onReply(QByteArrayView reply);

    const QByteArray &data() const { return m_data; }
    // Whether the phone began to send the file (a refusal after that cuts it short).
    bool begun() const { return m_begun; }
    // The size the phone announced, -1 without one.
    qint64 expected() const { return m_expected; }
    qint64 received() const { return m_received; }

private:
    Acceptance m_acceptance;
    QString m_name;
    QByteArray m_data;
    bool m_begun = false;
    qint64 m_expected = -1;
    qint64 m_received = 0;
};

// One file to "~name.tmp" in packets of at most 4096 bytes (all but the last continued), its
// attributes, then - when a file of that name stands there - the delete of the old file, and
// the move of "~name.tmp" onto the name. Nothing of the old file goes before the upload is whole.
class Upload {
public:
    enum class Stage { Data, Attributes, DeleteOld, Move, Finished };

    explicit Upload(Acceptance acceptance = Acceptance::Transfer) : m_acceptance(acceptance) {}
    // NeedData: the first packet waits for its data. `folder`: names from the root, for the move.
    Next start(QStringView fileName, quint32 size, const QDateTime &now, QStringList folder, bool replacing);
    // After NeedData: exactly dataWanted() bytes of the file, next in order. Send or Invalid.
    Next supply(QByteArrayView chunk);
    qsizetype dataWanted() const;
    // NeedData, Send (attributes, delete, move), Done, NotFound, Refused, PhoneError or Ignored.
    // A refusal belongs to stage(); a refused delete of the old file leaves "~name.tmp" behind.
    Next onReply(QByteArrayView reply);

    Stage stage() const { return m_stage; }
    // Bytes of the file the phone has taken.
    qint64 accepted() const { return m_accepted; }

private:
    Next stageRequest(Stage stage);

    Acceptance m_acceptance;
    QString m_name;
    quint32 m_size = 0;
    QDateTime m_now;
    QStringList m_folder;
    bool m_replacing = false;
    Stage m_stage = Stage::Finished;
    qint64 m_packed = 0;
    qint64 m_accepted = 0;
    bool m_final = false;
};

// A request answered by one success reply.
class Command {
public:
    explicit Command(Acceptance acceptance = Acceptance::Transfer) : m_acceptance(acceptance) {}
    Next remove(QStringView name);
    // Move inside the folder given by its names from the root.
    Next rename(const QStringList &folder, QStringView oldName, QStringView newName);
    // Set-path into the folder, made when missing.
    Next createFolder(QStringView name);
    Next enterFolder(QStringView name);
    Next folderUp();
    // Done, NotFound, Refused, PhoneError or Ignored.
    Next onReply(QByteArrayView reply) const;

private:
    Acceptance m_acceptance;
};

} // namespace vandrel::obex
