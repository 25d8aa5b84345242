#pragma once
// BREW file-system replies, read from payloads (unescaped, check value and flag removed).
#include "core/diag/checked.h"

#include <QByteArray>
#include <QString>

namespace vandrel::brew {

// Phone names are read as UTF-8 when they are valid UTF-8, else as cp1250.
QString decodeName(QByteArrayView bytes);

struct ListingEntry {
    bool isFolder = false;   // reply to List folders (0x0A) or List files (0x0B)
    quint8 seqLow = 0;       // low byte of the entry's sequence number
    quint32 size = 0;        // files: bytes
    QString fullName;        // as the phone wrote it, e.g. "brew/mod/game"
    QString name;            // after the last "/"
};

enum class ListingReply {
    Entry,       // one entry; parseListingEntry reads it
    FoldersEnd,  // 59 0A 1C: the folders are done, the files follow
    FilesEnd,    // 59 0B 1C: the listing is done
    NotFound,    // 59 0A 08: the folder does not exist
    Other,
};
ListingReply classifyListingReply(QByteArrayView payload);
Checked<ListingEntry> parseListingEntry(QByteArrayView payload);

struct ReadFirstBlock {
    quint32 totalLength = 0;
    QByteArray data;
};
// 5-8 total length, 9-10 data length (at most 256), 11... data.
Checked<ReadFirstBlock> parseReadFirst(QByteArrayView payload);
// 0-6 header, 7... data (at most 256 bytes).
Checked<QByteArray> parseReadNext(QByteArrayView payload);

// The diagnostic error replies 0x13 (bad command), 0x14 (bad parameters), 0x15 (bad length).
struct ErrorReply {
    quint8 code = 0;
    quint8 op = 0;   // the second byte: the refused sub-operation
};
std::optional<ErrorReply> parseErrorReply(QByteArrayView payload);

bool isReadRefused(QByteArrayView payload);    // 14 04
bool isWriteAccepted(QByteArrayView payload);  // 59 05 00
bool isWriteRefused(QByteArrayView payload);   // 14 05, 15 05, or 59 05 with a status other than 0

enum class Status { Done, NotDone, Other };
// Make folder: 59 00, status 0 done, 7 not done.
std::optional<Status> parseMakeFolder(QByteArrayView payload);
// Remove file: 59 06, status 0 removed, anything else not.
std::optional<Status> parseRemoveFile(QByteArrayView payload);
// Remove folder: exactly 59 01 00 removed, 59 01 03 or 59 01 09 not removed.
std::optional<Status> parseRemoveFolder(QByteArrayView payload);
// Free space: 59 0C, bytes 3-6 the free bytes.
std::optional<quint32> parseFreeSpace(QByteArrayView payload);

} // namespace vandrel::brew
