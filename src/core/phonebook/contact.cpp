#include "contact.h"

namespace vandrel::phonebook {
namespace {

using Member = QString ContactRecord::*;

// Every field but the default number, in field order (nullptr at its place).
const std::array<Member, kFieldCount> &members()
{
    static const std::array<Member, kFieldCount> m = {
        &ContactRecord::firstName, &ContactRecord::surname, nullptr,
        &ContactRecord::privatePhone, &ContactRecord::businessPhone, &ContactRecord::privateMobile,
        &ContactRecord::businessMobile, &ContactRecord::privateEmail, &ContactRecord::privateEmail2,
        &ContactRecord::privateUrl, &ContactRecord::privateFax, &ContactRecord::privateStreet,
        &ContactRecord::privateCity, &ContactRecord::privatePostcode, &ContactRecord::privateCountry1,
        &ContactRecord::privateCountry2, &ContactRecord::privateAddressExtra, &ContactRecord::privateNotes,
        &ContactRecord::businessEmail, &ContactRecord::businessEmail2, &ContactRecord::businessUrl,
        &ContactRecord::businessFax, &ContactRecord::company, &ContactRecord::jobTitle,
        &ContactRecord::businessStreet, &ContactRecord::businessCity, &ContactRecord::businessPostcode,
        &ContactRecord::businessCountry1, &ContactRecord::businessCountry2,
        &ContactRecord::businessAddressExtra, &ContactRecord::businessNotes, &ContactRecord::picture,
        &ContactRecord::group, &ContactRecord::ringtone, &ContactRecord::birthday,
        &ContactRecord::displayName,
    };
    return m;
}

} // namespace

QString ContactRecord::field(int n) const
{
    if (n == kDefaultNumberField)
        return QString::number(defaultNumber);
    if (n < 0 || n >= kFieldCount)
        return {};
    return this->*members()[n];
}

bool ContactRecord::setField(int n, const QString &value)
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

bool operator==(const ContactRecord &a, const ContactRecord &b)
{
    for (int f = 0; f < kFieldCount; ++f)
        if (a.field(f) != b.field(f))
            return false;
    return a.keptItems == b.keptItems;
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
