#include "addressbook.h"

#include "exports.h"

namespace vandrel::phonebook {
namespace {

constexpr int kNumberFields[4] = {3, 4, 5, 6};

QList<int> differingFields(const ContactRecord &a, const ContactRecord &b)
{
    QList<int> fields;
    for (int f = 0; f < kFieldCount; ++f)
        if (a.field(f) != b.field(f))
            fields.append(f);
    if (a.keptItems != b.keptItems)
        fields.append(-1);
    return fields;
}

} // namespace

QStringList addressListRow(const ContactRecord &c)
{
    return {displayOf(c), c.privateMobile, c.privateEmail, c.privateStreet, c.privateCity, c.privatePostcode, c.privateCountry2, c.birthday};
}

DefaultNumberButtons defaultNumberButtons(const ContactRecord &c)
{
    DefaultNumberButtons b;
    for (int i = 0; i < 4; ++i)
        b.enabled[i] = !c.field(kNumberFields[i]).isEmpty();
    b.checked = c.defaultNumber <= 4 ? c.defaultNumber : 0;
    return b;
}

ContactRecord storeContact(const ContactRecord &before, const ContactRecord &pages, int checkedButton)
{
    ContactRecord c = pages;
    c.group = before.group;
    c.keptItems = before.keptItems;
    c.recordNumber = before.recordNumber;
    c.defaultNumber = checkedButton >= 1 && checkedButton <= 4 ? quint8(checkedButton) : before.defaultNumber;
    if (c.displayName.isEmpty())
        c.displayName = c.surname.isEmpty() ? c.firstName : c.surname;
    return c;
}

ChangeSummary summarizeChanges(const ContactList &onPhone, const ContactList &toWrite)
{
    QList<int> partner(toWrite.size(), -1);
    QList<bool> paired(onPhone.size(), false);
    const auto pair = [&](auto same) {
        for (qsizetype row = 0; row < toWrite.size(); ++row) {
            if (partner[row] >= 0)
                continue;
            for (qsizetype p = 0; p < onPhone.size(); ++p)
                if (!paired[p] && same(toWrite[row], onPhone[p])) {
                    partner[row] = int(p);
                    paired[p] = true;
                    break;
                }
        }
    };
    pair([](const ContactRecord &a, const ContactRecord &b) { return a.recordNumber > 0 && a.recordNumber == b.recordNumber; });
    pair([](const ContactRecord &a, const ContactRecord &b) { return a.firstName == b.firstName && a.surname == b.surname; });

    ChangeSummary s;
    for (qsizetype row = 0; row < toWrite.size(); ++row) {
        const int p = partner[row];
        if (p < 0) {
            s.added.append({int(row), -1, displayOf(toWrite[row]), {}});
        } else if (const QList<int> fields = differingFields(onPhone[p], toWrite[row]); !fields.isEmpty()) {
            s.changed.append({int(row), p, displayOf(toWrite[row]), fields});
        } else {
            ++s.unchanged;
        }
    }
    for (qsizetype p = 0; p < onPhone.size(); ++p)
        if (!paired[p])
            s.removed.append({-1, int(p), displayOf(onPhone[p]), {}});
    return s;
}

void ContactTable::loadFromPhone(ContactList contacts)
{
    m_contacts = std::move(contacts);
    m_onPhone = m_contacts;
    m_phoneKnown = true;
    changed();
    m_modified = false;
}

void ContactTable::loadFromFile(ContactList contacts)
{
    m_contacts = std::move(contacts);
    for (ContactRecord &c : m_contacts)
        c.recordNumber = 0;
    changed();
    m_modified = false;
}

void ContactTable::wroteToPhone()
{
    for (qsizetype i = 0; i < m_contacts.size(); ++i)
        m_contacts[i].recordNumber = int(i + 1);
    m_onPhone = m_contacts;
    m_phoneKnown = true;
    m_modified = false;
}

bool ContactTable::add(const ContactRecord &pages, int checkedButton)
{
    if (pages.firstName.isEmpty() && pages.surname.isEmpty())
        return false;
    m_contacts.append(storeContact(ContactRecord(), pages, checkedButton));
    changed();
    return true;
}

bool ContactTable::change(int row, const ContactRecord &pages, int checkedButton)
{
    if (row < 0 || row >= m_contacts.size())
        return false;
    m_contacts[row] = storeContact(m_contacts[row], pages, checkedButton);
    changed();
    return true;
}

bool ContactTable::remove(int row)
{
    if (row < 0 || row >= m_contacts.size())
        return false;
    m_contacts[row] = m_contacts.last();
    m_contacts.removeLast();
    changed();
    return true;
}

void ContactTable::changed()
{
    m_recipients = recipientLines(m_contacts);
    m_modified = true;
}

QString extensionOf(BookFormat format)
{
    switch (format) {
    case BookFormat::Dat: return QStringLiteral(".dat");
    case BookFormat::Csv: return QStringLiteral(".csv");
    case BookFormat::Xls: return QStringLiteral(".xls");
    case BookFormat::Vcf: return QStringLiteral(".vcf");
    case BookFormat::Json: return QStringLiteral(".json");
    }
    return {};
}

QString withExtension(const QString &fileName, BookFormat format)
{
    const QString ext = extensionOf(format);
    return fileName.endsWith(ext, Qt::CaseSensitive) ? fileName : fileName + ext;
}

std::optional<BookFormat> bookFormatOf(QStringView fileName, Qt::CaseSensitivity cs)
{
    for (const BookFormat f : {BookFormat::Dat, BookFormat::Csv, BookFormat::Xls, BookFormat::Vcf, BookFormat::Json})
        if (fileName.endsWith(extensionOf(f), cs))
            return f;
    return std::nullopt;
}

} // namespace vandrel::phonebook
