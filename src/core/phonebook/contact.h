#pragma once
// One contact of the phone's address book, with its 36 fields in their fixed order.
#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

namespace vandrel::phonebook {

inline constexpr int kFieldCount = 36;
inline constexpr int kDefaultNumberField = 2;
inline constexpr int kGroupField = 32;
inline constexpr int kBirthdayField = 34;
inline constexpr int kDisplayNameField = 35;

// An item of a phonebook record that the program does not read (an id it does not know, a
// known id with another type, a second copy of an item). It is kept with its contact and
// written back where it stood: right after the known item `after` (0: right after the
// record header).
struct KeptItem {
    quint16 id = 0;
    quint8 type = 0;
    quint16 after = 0;
    QByteArray data; // all L bytes, terminator included

    friend bool operator==(const KeptItem &, const KeptItem &) = default;
};

struct ContactRecord {
    QString firstName;            // 0
    QString surname;              // 1
    quint8 defaultNumber = 0;     // 2: 0 none, 1 private phone, 2 business phone, 3 private mobile, 4 business mobile
    QString privatePhone;         // 3
    QString businessPhone;        // 4
    QString privateMobile;        // 5
    QString businessMobile;       // 6
    QString privateEmail;         // 7
    QString privateEmail2;        // 8
    QString privateUrl;           // 9
    QString privateFax;           // 10
    QString privateStreet;        // 11
    QString privateCity;          // 12
    QString privatePostcode;      // 13
    QString privateCountry1;      // 14
    QString privateCountry2;      // 15
    QString privateAddressExtra;  // 16
    QString privateNotes;         // 17
    QString businessEmail;        // 18
    QString businessEmail2;       // 19
    QString businessUrl;          // 20
    QString businessFax;          // 21
    QString company;              // 22
    QString jobTitle;             // 23
    QString businessStreet;       // 24
    QString businessCity;         // 25
    QString businessPostcode;     // 26
    QString businessCountry1;     // 27
    QString businessCountry2;     // 28
    QString businessAddressExtra; // 29
    QString businessNotes;        // 30
    QString picture;              // 31
    QString group;                // 32: one character whose code is the group number
    QString ringtone;             // 33
    QString birthday;             // 34: DD.MM.YYYY
    QString displayName;          // 35

    QList<KeptItem> keptItems;    // in the order the file had them
    // The 1-based position of the record this contact was read from (0: made here). It stays
    // with the contact through edits, so a write can be compared with what the phone had.
    int recordNumber = 0;

    // Field n as text; the default number reads as its decimal digit.
    QString field(int n) const;
    // Field n from text (the default number from its digit); false for a field that does not exist.
    bool setField(int n, const QString &value);

    // Equal fields and kept items; where a contact was read from does not count.
    friend bool operator==(const ContactRecord &a, const ContactRecord &b);
};

using ContactList = QList<ContactRecord>;

// The name the field goes by, for messages ("surname", "privateMobile" ...).
QString fieldName(int n);

} // namespace vandrel::phonebook
