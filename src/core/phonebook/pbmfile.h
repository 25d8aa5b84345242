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

// One record (its length bytes included).
RecordResult DecodeContactRecord(QByteArrayView record);

struct DecodedAddressBook {
    ContactList contacts;
    QStringList problems; // records that could not be read, bytes that were left over
};

DecodedAddressBook DecodeAddressBook(QByteArrayView file);

// The whole table as a file. Values that do not fit the format are refused, naming the
// contact and the field.
Checked<QByteArray> EncodeAddressBook(const ContactList &contacts);

} // namespace vandrel::phonebook
