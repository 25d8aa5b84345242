#pragma once
// The OBEX requests the program sends: fixed packets and packets built around names.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QDateTime>
#include <QStringList>

namespace vandrel::obex {

// Target of the connect request and Who of its reply.
QByteArray serviceUuid();
// Sent in every request.
constexpr quint32 kConnectionId = 0x024E804C;
// Longest name (in UTF-16 units, "~" and ".tmp" of uploads included) a request carries.
constexpr qsizetype kMaxNameLength = 120;
// Longest file chunk of one upload packet.
constexpr qsizetype kMaxUploadChunk = 4096;
// Largest file the Length header of an upload can announce.
constexpr qint64 kMaxFileSize = 0xFFFFFFFF;

// Fixed requests. Connect and folder listing go out followed by a carriage return.
QByteArray connectRequest();
QByteArray folderListingRequest();
QByteArray listingContinuationRequest();
QByteArray folderUpRequest();

enum class MemoryRoot { Mmc, User };
// The memory-size query of "\mmc" or "\user"; code 2 answers the free space, code 1 the second size.
QByteArray memoryQuery(MemoryRoot root, int code);

// Set-path into one folder (flags 02: do not create).
Checked<QByteArray> enterFolderRequest(QStringView name);
// Set-path that creates the folder when missing and enters it (flags 00).
Checked<QByteArray> createFolderRequest(QStringView name);
Checked<QByteArray> getFileRequest(QStringView name);
// A final put without body.
Checked<QByteArray> deleteRequest(QStringView name);

// "~" + name + ".tmp": where an upload goes before it replaces the file.
QString uploadTempName(QStringView fileName);

// First packet of an upload of `fileName` (to "~name.tmp"): Length, Time and the first chunk
// (at most 4096 bytes); final (82, End-of-Body) when `chunk` is the whole file. Refused when
// `final` and the chunk's size disagree with `fileSize`.
Checked<QByteArray> firstUploadPacket(QStringView fileName, quint32 fileSize, const QDateTime &now,
                                      QByteArrayView chunk, bool final);
// A further chunk of an upload; final (82, End-of-Body) for the last.
Checked<QByteArray> nextUploadPacket(QByteArrayView chunk, bool final);
// Marks "~name.tmp" read, write and delete.
Checked<QByteArray> setAttributesRequest(QStringView fileName);
// Move (rename) inside the folder given by its names from the root.
Checked<QByteArray> moveRequest(const QStringList &folder, QStringView oldName, QStringView newName);
// Move "~name.tmp" onto name after an upload.
Checked<QByteArray> finishUploadRequest(const QStringList &folder, QStringView fileName);

} // namespace vandrel::obex
