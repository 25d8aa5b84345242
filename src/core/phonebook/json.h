#pragma once
// The contact table as JSON, for scripts and the command line.
#include "contact.h"
#include "core/diag/checked.h"

#include <QByteArray>

namespace vandrel::phonebook {

// A list with one object per contact: each non-empty field under its name (fieldName), the
// default number always and the group as numbers, "recordNumber" when known, and the kept
// items as "keptItems": [{"id": 65345, "type": 9, "after": 3, "data": "78000000"}].
QByteArray contactsToJson(const ContactList &contacts);

// The same form back; an unknown or mistyped key is refused, naming the contact.
Checked<ContactList> contactsFromJson(QByteArrayView json);

} // namespace vandrel::phonebook
