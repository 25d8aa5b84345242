#pragma once
// Contacts as vCard files, for other address books.
#include "contact.h"

#include <QByteArray>
#include <QStringList>

namespace vandrel::phonebook {

// vCard 3.0, one card per contact, UTF-8, CRLF line ends, lines folded at 75 octets.
// N, FN (the display name), TEL for the four numbers and the two faxes (the default number
// marked PREF), EMAIL, URL, ADR, ORG, TITLE, NOTE and BDAY carry what they can; the rest goes
// into X-VANDREL-... properties, so reading the file back gives the same table, kept items
// and record numbers included. A group with a name in `groupNames` (the group side file's
// order) is written as CATEGORIES as well.
QByteArray WriteContactsVCard(const ContactList &contacts, const QStringList &groupNames = {});

struct ReadVCards {
    ContactList contacts;
    QStringList problems; // values that found no field, each naming its card
};

// vCard 2.1, 3.0 or 4.0 from any program: folded lines, quoted-printable, CHARSET, typed
// and preferred numbers. Text is UTF-8 unless the file is not valid UTF-8 (then Windows-1250)
// or a value names its charset. A card whose N gives no name takes FN as its surname; a
// group comes from X-VANDREL-GROUP, else from the first category that names a group.
ReadVCards ReadContactsVCard(QByteArrayView file, const QStringList &groupNames = {});

} // namespace vandrel::phonebook
