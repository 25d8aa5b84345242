#pragma once
// What the address book gives to the rest of the program and to other programs: recipient
// lines for the SMS side, and the CSV and spreadsheet exports.
#include "contact.h"
#include "core/diag/checked.h"

#include <QByteArray>
#include <QStringList>

namespace vandrel::phonebook {

inline const QString kRecipientSeparator = QStringLiteral("$&@");

// "surname, firstName" when both are there, else the one that is.
QString displayOf(const ContactRecord &c);
// "contact 3 (Novák, Jan)" for row 2, in the messages that name a contact.
QString contactLabel(qsizetype row, const ContactRecord &c);

// display + "$&@" + private phone; business phone; private mobile; business mobile;
QString recipientLine(const ContactRecord &c);

// Appends the contact's line unless it equals the last line.
void AddRecipientLine(QStringList &lines, const ContactRecord &c);
// The recipient list as a load builds it.
QStringList recipientLines(const ContactList &contacts);
// The display part of the first line with a number of the same digits, else of the first
// whose number agrees on the last nine digits; empty when none does. Never a substring match.
QString nameForNumber(const QStringList &lines, QStringView number);

// An 8-bit export. A letter the code page cannot hold is written as its base letter when that
// one fits ("ñ" as "n"), else as "?"; the rows of the contacts that lost letters so are named
// for a warning.
struct ExportedFile {
    QByteArray bytes;
    QList<int> lossyRows; // 0-based, table order
};

// One line per contact in cp1250, ";" between the 34 columns, a bare CR after each line.
// A value that would break the layout (";" or a line end inside it) is refused, naming the
// contact and the field.
Checked<ExportedFile> WriteContactsCsv(const ContactList &contacts);

// One row per contact, 35 text columns: fields 0 and 1, then fields 3 to 35.
Checked<ExportedFile> WriteContactsXls(const ContactList &contacts);

// "letters that Windows-1250 cannot hold were replaced for: Novák, Jan; Petrov, Ivan", or empty.
QString lossyWarning(const ContactList &contacts, const QList<int> &lossyRows);

// The CSV columns by field number; -1 is a column left empty.
const QList<int> &csvColumns();

} // namespace vandrel::phonebook
