#pragma once
// Payloads of the BREW file-system requests (command 0x59), before diagnostic framing.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QString>

namespace vandrel::brew {

constexpr quint8 kFileSystemCommand = 0x59;
// Sub-operations of command 0x59.
enum class Op : quint8 {
    MakeFolder = 0x00,
    RemoveFolder = 0x01,
    Read = 0x04,
    Write = 0x05,
    RemoveFile = 0x06,
    ListFolders = 0x0A,
    ListFiles = 0x0B,
    FreeSpace = 0x0C,
};

// Most data bytes one read or write block carries.
constexpr qsizetype kBlockSize = 256;

// Length byte (name + its zero), the name as cp1250 bytes, a zero byte. Refused when cp1250
// cannot carry the name, it holds a NUL, or it is longer than 254 bytes.
Checked<QByteArray> nameField(QStringView name);

// List folders of `path` ("" is the root "/"; one trailing "/" is dropped) from entry `seq`.
Checked<QByteArray> listFoldersRequest(QStringView path, quint16 seq);
// List files of `path` as given, from entry `seq`.
Checked<QByteArray> listFilesRequest(QStringView path, quint16 seq);
// First block of a read of the phone file `name` (full path without leading "/").
Checked<QByteArray> readFirstRequest(QStringView name);
QByteArray readNextRequest(quint8 seq);
// First block of a write: the file's total length and its first block (at most 256 bytes).
Checked<QByteArray> writeFirstRequest(QStringView name, quint32 totalLength, QByteArrayView firstBlock);
// A further block of a write (at most 256 bytes) with its more flag.
Checked<QByteArray> writeNextRequest(quint8 seq, bool more, QByteArrayView block);
Checked<QByteArray> makeFolderRequest(QStringView name);
Checked<QByteArray> removeFileRequest(QStringView name);
Checked<QByteArray> removeFolderRequest(QStringView name);
QByteArray freeSpaceRequest();

} // namespace vandrel::brew
