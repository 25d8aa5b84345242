#include "bookfiles.h"

#include "json.h"
#include "pbmfile.h"
#include "vcard.h"

namespace vandrel::phonebook {

Checked<ExportedFile> writeBookFile(const ContactList &contacts, BookFormat format, const QStringList &groupNames)
{
    switch (format) {
    case BookFormat::Csv: return WriteContactsCsv(contacts);
    case BookFormat::Xls: return WriteContactsXls(contacts);
    case BookFormat::Vcf: return ExportedFile{WriteContactsVCard(contacts, groupNames), {}};
    case BookFormat::Json: return ExportedFile{contactsToJson(contacts), {}};
    case BookFormat::Dat: break;
    }
    const Checked<QByteArray> dat = EncodeAddressBook(contacts);
    if (!dat)
        return Checked<ExportedFile>::failure(dat.error());
    return ExportedFile{*dat, {}};
}

Checked<ReadBook> readBookFile(QByteArrayView file, BookFormat format, const QStringList &groupNames)
{
    switch (format) {
    case BookFormat::Dat: {
        DecodedAddressBook book = DecodeAddressBook(file);
        for (int position : std::as_const(book.namelessRecords))
            book.problems << QStringLiteral("record %1 has no name and was left out").arg(position);
        return ReadBook{book.contacts, book.problems};
    }
    case BookFormat::Vcf: {
        const ReadVCards cards = ReadContactsVCard(file, groupNames);
        return ReadBook{cards.contacts, cards.problems};
    }
    case BookFormat::Json: {
        const Checked<ContactList> contacts = contactsFromJson(file);
        if (!contacts)
            return Checked<ReadBook>::failure(contacts.error());
        return ReadBook{*contacts, {}};
    }
    case BookFormat::Csv:
    case BookFormat::Xls: break;
    }
    return Checked<ReadBook>::failure(QStringLiteral("%1 files are written only, never read").arg(extensionOf(format)));
}

} // namespace vandrel::phonebook
