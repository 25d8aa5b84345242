#pragma once
// The folder listing the phone sends as the body of its GET replies, as explorer rows.
#include "core/diag/checked.h"
#include "core/explorer/direntry.h"

#include <QByteArray>
#include <QList>

namespace vandrel::obex {

struct FolderListing {
    QList<explorer::DirEntry> entries;   // all folders, then all files, each in the order sent
    bool lenient = false;                // the text was no well-formed XML and was scanned instead
};

// Parses the listing text (the Body and End-of-Body contents joined) as XML; text a strict
// reader refuses (a bare "&" in a name, junk after the closing tag) is scanned attribute by
// attribute instead. Malformed only when the text holds no folder listing at all.
Checked<FolderListing> parseFolderListing(QByteArrayView xml);

} // namespace vandrel::obex
