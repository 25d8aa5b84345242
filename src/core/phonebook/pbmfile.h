#pragma once
// The phone's phonebook file "pbm_master_v_20.dat": records of items, back to back.
#include "contact.h"
#include "core/diag/checked.h"

#include <QByteArray>
#include <QStringList>
#include <optional>

namespace vandrel::phonebook {

inline constexpr int kMaxContacts = 245;
inline constexpr int kMaxTextCharacters = 126;
inline constexpr int kMaxNumberCharacters = 254;

struct RecordResult {
    std::optional<ContactRecord> contact; // nothing for a record without a name
    QString problem;                         // why the record could not be read, if so
};

// One record (its length bytes included). Items the decoder does not read are kept with the
// contact (ContactRecord::keptItems).
RecordResult DecodeContactRecord(QByteArrayView record);

struct DecodedAddressBook {
    ContactList contacts;        // recordNumber set to each one's position in the file
    QStringList problems;        // records that could not be read, bytes that were left over
    QList<int> namelessRecords;  // 1-based positions of the records dropped for having no name
};

DecodedAddressBook DecodeAddressBook(QByteArrayView file);

// What keeps a table from being written as the phone's file.
struct TableProblem {
    enum Kind {
        TooManyContacts, // more than kMaxContacts
        NoName,          // neither first name nor surname: the phone's file would lose the contact
        TooLong,         // text over kMaxTextCharacters, number over kMaxNumberCharacters
        NotInCodePage,   // a number with a character that has no Windows-1250 byte
        NotADate,        // birthday not a valid DD.MM.YYYY
        BadGroup,        // group not one character of code 0..255
        BadKeptItem,     // a kept item with no data or more than 255 bytes
        RecordTooLong,   // the record would pass 65535 bytes
    };
    Kind kind;
    int row = -1;   // 0-based; -1 for the table as a whole
    int field = -1; // field number; -1 when no single field is to blame
    QString text;   // "contact 3 (Novák, Jan), field company: 127 characters do not fit (at most 126)"
};

// Every problem, in table order after the table's size; empty when the table can be written.
QList<TableProblem> checkForPhone(const ContactList &contacts);

// The whole table as a file; refused with the first problem of checkForPhone. Field items go
// in a fixed order, then the marker items, then the record number; kept items go back right
// after the item they followed when read (before the record number when that item is gone).
Checked<QByteArray> EncodeAddressBook(const ContactList &contacts);

} // namespace vandrel::phonebook
