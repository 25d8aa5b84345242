#include "contact.h"

namespace vandrel::phonebook {
namespace {

using Member = QString TZaznamAdresare::*;

// Every field but the default number, in field order (nullptr at its place).
const std::array<Member, kFieldCount> &members()
{
    static const std::array<Member, kFieldCount> m = {
        &TZaznamAdresare::firstName, &TZaznamAdresare::surname, nullptr,
        &TZaznamAdresare::privatePhone, &TZaznamAdresare::businessPhone, &TZaznamAdresare::privateMobile,
        &TZaznamAdresare::businessMobile, &TZaznamAdresare::privateEmail, &TZaznamAdresare::privateEmail2,
        &TZaznamAdresare::privateUrl, &TZaznamAdresare::privateFax, &TZaznamAdresare::privateStreet,
        &TZaznamAdresare::privateCity, &TZaznamAdresare::privatePostcode, &TZaznamAdresare::privateCountry1,
        &TZaznamAdresare::privateCountry2, &TZaznamAdresare::privateAddressExtra, &TZaznamAdresare::privateNotes,
        &TZaznamAdresare::businessEmail, &TZaznamAdresare::businessEmail2, &TZaznamAdresare::businessUrl,
        &TZaznamAdresare::businessFax, &TZaznamAdresare::company, &TZaznamAdresare::jobTitle,
        &TZaznamAdresare::businessStreet, &TZaznamAdresare::businessCity, &TZaznamAdresare::businessPostcode,
        &TZaznamAdresare::businessCountry1, &TZaznamAdresare::businessCountry2,
        &TZaznamAdresare::businessAddressExtra, &TZaznamAdresare::businessNotes, &TZaznamAdresare::picture,
        &TZaznamAdresare::group, &TZaznamAdresare::ringtone, &TZaznamAdresare::birthday,
        &TZaznamAdresare::displayName,
    };
    return m;
}

} // namespace

QString TZaznamAdresare::field(int n) const
{
    if (n == kDefaultNumberField)
        return QString::number(defaultNumber);
    if (n < 0 || n >= kFieldCount)
        return {};
    return this->*members()[n];
}

bool TZaznamAdresare::setField(int n, const QString &value)
{
    if (n == kDefaultNumberField) {
        bool ok = false;
        const uint v = value.isEmpty() ? 0 : value.toUInt(&ok);
        if (!value.isEmpty() && (!ok || v > 4))
            return false;
        defaultNumber = quint8(v);
        return true;
    }
    if (n < 0 || n >= kFieldCount)
        return false;
    this->*members()[n] = value;
    return true;
}

QString fieldName(int n)
{
    static const char *const names[kFieldCount] = {
        "firstName", "surname", "defaultNumber", "privatePhone", "businessPhone", "privateMobile",
        "businessMobile", "privateEmail", "privateEmail2", "privateUrl", "privateFax", "privateStreet",
        "privateCity", "privatePostcode", "privateCountry1", "privateCountry2", "privateAddressExtra",
        "privateNotes", "businessEmail", "businessEmail2", "businessUrl", "businessFax", "company",
        "jobTitle", "businessStreet", "businessCity", "businessPostcode", "businessCountry1",
        "businessCountry2", "businessAddressExtra", "businessNotes", "picture", "group", "ringtone",
        "birthday", "displayName",
    };
    return n >= 0 && n < kFieldCount ? QString::fromLatin1(names[n]) : QString();
}

} // namespace vandrel::phonebook
