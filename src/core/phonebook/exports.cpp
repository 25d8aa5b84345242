#include "exports.h"

#include "core/text/cp1250.h"
#include "core/xls/biffwriter.h"

namespace vandrel::phonebook {
namespace {

QString where(qsizetype index, const ContactRecord &c, int field)
{
    return QStringLiteral("contact %1 (%2), field %3").arg(index + 1).arg(displayOf(c), fieldName(field));
}

// The exports are 8-bit: a character cp1250 cannot carry is refused, naming contact and field.
Checked<QByteArray> cp1250Of(qsizetype index, const ContactRecord &c, int field)
{
    const QString value = c.field(field);
    qsizetype bad = -1;
    const auto bytes = text::toCp1250(value, &bad);
    if (!bytes)
        return Checked<QByteArray>::failure(where(index, c, field)
                                            + QStringLiteral(": the character \"%1\" has no place in the Windows-1250 code page").arg(value.at(bad)));
    return *bytes;
}

} // namespace

QString displayOf(const ContactRecord &c)
{
    if (!c.surname.isEmpty() && !c.firstName.isEmpty())
        return c.surname + QStringLiteral(", ") + c.firstName;
    return c.surname.isEmpty() ? c.firstName : c.surname;
}

QString contactLabel(qsizetype row, const ContactRecord &c)
{
    const QString name = displayOf(c).isEmpty() ? c.displayName : displayOf(c);
    return QStringLiteral("contact %1 (%2)").arg(row + 1).arg(name);
}

QString recipientLine(const ContactRecord &c)
{
    return displayOf(c) + kRecipientSeparator + c.privatePhone + u';' + c.businessPhone + u';' + c.privateMobile + u';'
           + c.businessMobile + u';';
}

void AddRecipientLine(QStringList &lines, const ContactRecord &c)
{
    const QString line = recipientLine(c);
    if (lines.isEmpty() || lines.last() != line)
        lines.append(line);
}

QStringList recipientLines(const ContactList &contacts)
{
    QStringList lines;
    for (const ContactRecord &c : contacts)
        AddRecipientLine(lines, c);
    return lines;
}

QString nameForNumber(const QStringList &lines, QStringView number)
{
    if (number.isEmpty())
        return {};
    for (const QString &line : lines)
        if (line.contains(number))
            return line.section(kRecipientSeparator, 0, 0);
    return {};
}

const QList<int> &csvColumns()
{
    static const QList<int> columns = {1,  0,  5,  6,  3,  4,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17,
                                       -1, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, -1, 34, 32};
    return columns;
}

Checked<QByteArray> WriteContactsCsv(const ContactList &contacts)
{
    using R = Checked<QByteArray>;
    QByteArray out;
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        const ContactRecord &c = contacts[i];
        bool first = true;
        for (const int field : csvColumns()) {
            if (!first)
                out.append(';');
            first = false;
            if (field < 0)
                continue;
            const QString value = c.field(field);
            if (value.contains(u';') || value.contains(u'\r') || value.contains(u'\n'))
                return R::failure(where(i, c, field) + QStringLiteral(": a \";\" or a line end would break the CSV columns"));
            const auto bytes = cp1250Of(i, c, field);
            if (!bytes)
                return R::failure(bytes.error());
            out.append(*bytes);
        }
        out.append('\r');
    }
    return out;
}

Checked<QByteArray> WriteContactsXls(const ContactList &contacts)
{
    QList<QStringList> rows;
    rows.reserve(contacts.size());
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        QStringList row;
        for (int col = 0; col <= 34; ++col) {
            const int field = col < 2 ? col : col + 1;
            if (const auto bytes = cp1250Of(i, contacts[i], field); !bytes)
                return Checked<QByteArray>::failure(bytes.error());
            row.append(contacts[i].field(field));
        }
        rows.append(row);
    }
    return xls::writeTextSheet(rows);
}

} // namespace vandrel::phonebook
