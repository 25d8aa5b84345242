#pragma once
// The address-book editor's rules over the contact table: what the edit pages store, add,
// change and delete with the recipient list derived from the table, what a write to the phone
// would change there, and the names of saved files.
#include "contact.h"

#include <QStringList>
#include <array>
#include <optional>

namespace vandrel::phonebook {

// The row of the address list: "Příjmení, jméno" (as displayOf), private mobile, e-mail,
// street, city, postcode, country ("Stát", the private country 2) and birthday.
QStringList addressListRow(const ContactRecord &c);

// --- edit pages ---------------------------------------------------------------------------

// The four default-number buttons, one beside each of private phone, business phone, private
// mobile and business mobile.
struct DefaultNumberButtons {
    std::array<bool, 4> enabled{}; // a button is enabled when its number is there
    int checked = 0;               // 1..4; 0 when none is checked
};

// The buttons as the pages show a contact. A contact without a default number checks none, so
// a button left over from the contact shown before is never stored into this one.
DefaultNumberButtons defaultNumberButtons(const ContactRecord &c);

// What "Přidat záznam" and "Opravit záznam" store: `pages` holds the texts of the edit pages
// (every string field but the group); the default number becomes that of the checked button,
// none checked keeps the one of `before`; an empty display name becomes the surname, or the
// first name when there is no surname. Group, kept items and record number stay those of
// `before`.
ContactRecord storeContact(const ContactRecord &before, const ContactRecord &pages, int checkedButton);

// --- the table ------------------------------------------------------------------------------

// One contact matched between the book read from the phone and the table to be written.
struct ContactChange {
    int row = -1;       // row in the table to be written; -1 for a removed contact
    int phoneRow = -1;  // row in the book read from the phone; -1 for an added contact
    QString name;       // as the address list shows it
    QList<int> fields;  // of a changed contact, the fields that differ; -1 stands for the kept items
};

struct ChangeSummary {
    QList<ContactChange> added, changed, removed;
    int unchanged = 0;
    bool changesNothing() const { return added.isEmpty() && changed.isEmpty() && removed.isEmpty(); }
};

// What writing `toWrite` over `onPhone` changes. A contact is the same one when it carries
// the record number of a phone contact (the number stays with it through edits and moves);
// contacts without a matching number are paired by equal first name and surname, in table
// order; whatever stays unpaired is added or removed.
ChangeSummary summarizeChanges(const ContactList &onPhone, const ContactList &toWrite);

// The contact table with its recipient list, which is rebuilt from the table after every
// change: one line per contact in table order, a line equal to the one before it left out.
class ContactTable {
public:
    const ContactList &contacts() const { return m_contacts; }
    const QStringList &recipients() const { return m_recipients; }

    // The book just read from the phone; it is also what later writes are compared with.
    void loadFromPhone(ContactList contacts);
    // A book read from a file. Its record numbers count records of that file, not of the phone,
    // so they are dropped and the contacts are matched with the phone's by name.
    void loadFromFile(ContactList contacts);
    // The table has just been written to the phone: its rows are the phone's records now.
    void wroteToPhone();
    // The table has been saved to a file.
    void savedToFile() { m_modified = false; }

    // Nothing when both names on the pages are empty.
    bool add(const ContactRecord &pages, int checkedButton);
    // Nothing for a row that does not exist.
    bool change(int row, const ContactRecord &pages, int checkedButton);
    // The last contact moves into the freed row; no other contact moves. Nothing for a row
    // that does not exist.
    bool remove(int row);

    // Changed by add, change or remove since the last load or save.
    bool isModified() const { return m_modified; }
    // Whether a book has been read from the phone (or written to it) in this run.
    bool phoneKnown() const { return m_phoneKnown; }
    const ContactList &onPhone() const { return m_onPhone; }
    ChangeSummary pendingPhoneChanges() const { return summarizeChanges(m_onPhone, m_contacts); }

private:
    void changed();

    ContactList m_contacts;
    QStringList m_recipients;
    ContactList m_onPhone;
    bool m_phoneKnown = false;
    bool m_modified = false;
};

// --- saved files ----------------------------------------------------------------------------

enum class BookFormat { Dat, Csv, Xls, Vcf, Json };

// ".dat", ".csv" ...
QString extensionOf(BookFormat format);

// The name a save dialog ends with for the filter of `format`: its extension is appended
// unless the name ends in exactly that text ("kontakty.CSV" as CSV gives "kontakty.CSV.csv",
// "x.txt" as .dat gives "x.txt.dat").
QString withExtension(const QString &fileName, BookFormat format);

// The format a file name's extension names; nothing for any other extension (the editor's
// save writes those in the phone's format).
std::optional<BookFormat> bookFormatOf(QStringView fileName, Qt::CaseSensitivity cs = Qt::CaseSensitive);

} // namespace vandrel::phonebook
