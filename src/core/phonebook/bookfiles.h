#pragma once
// A whole address book as the bytes of a file of one format, and back: the one place the
// editor's save and load and the command line's pull, push and convert agree on.
#include "addressbook.h"
#include "exports.h"

namespace vandrel::phonebook {

// The file of `format`; only the 8-bit exports (.csv, .xls) can lose letters (lossyRows).
// `groupNames` give vCard its categories.
Checked<ExportedFile> writeBookFile(const ContactList &contacts, BookFormat format, const QStringList &groupNames = {});

struct ReadBook {
    ContactList contacts;
    QStringList warnings; // records or values that were passed over
};

// A book from a .dat, .vcf or .json file; .csv and .xls are exports only and are refused.
Checked<ReadBook> readBookFile(QByteArrayView file, BookFormat format, const QStringList &groupNames = {});

} // namespace vandrel::phonebook
