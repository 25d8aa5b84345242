#include "exports.h"

#include "core/text/cp1250.h"
#include "core/xls/biffwriter.h"

namespace vandrel::phonebook {
namespace {

QString where(qsizetype index, const ContactRecord &c, int field)
{
    return contactLabel(index, c) + QStringLiteral(", field ") + fieldName(field);
}

// Cp1250 bytes of the text; a character the code page lacks becomes its base letter when that
// one fits, else "?" (one for a whole surrogate pair).
QByteArray lossyCp1250(QStringView value, bool *lossy)
{
    if (const auto bytes = text::toCp1250(value))
        return *bytes;
    *lossy = true;
    QByteArray out;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QString one = value.sliced(i, 1).toString();
        if (const auto b = text::toCp1250(one)) {
            out.append(*b);
            continue;
        }
        if (one[0].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate())
            ++i;
        const QString base = one.normalized(QString::NormalizationForm_D).left(1);
        const auto b = base != one ? text::toCp1250(base) : std::nullopt;
        out.append(b ? *b : QByteArray("?"));
    }
    return out;
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

namespace {

// The digits of a phone number written with "+", blanks, "-", "/", "." or brackets; nothing
// for a text with anything else (an alphanumeric sender names no contact).
std::optional<QString> numberDigits(QStringView number)
{
    QString digits;
    for (const QChar c : number) {
        if (c.isDigit())
            digits.append(c);
        else if (!QStringView(u"+ -/.()").contains(c))
            return std::nullopt;
    }
    if (digits.isEmpty())
        return std::nullopt;
    return digits;
}

constexpr int kSignificantDigits = 9;

} // namespace

QString nameForNumber(const QStringList &lines, QStringView number)
{
    const auto wanted = numberDigits(number);
    if (!wanted)
        return {};
    // A number equal to the digits wins over one that only ends alike ("+420602123456" and
    // "602123456" agree on their last nine digits: the same line with or without the country code).
    std::optional<QString> endsAlike;
    for (const QString &line : lines) {
        const qsizetype separator = line.indexOf(kRecipientSeparator);
        if (separator < 0)
            continue;
        const QString display = line.left(separator);
        for (const QString &field : line.mid(separator + kRecipientSeparator.size()).split(u';')) {
            const auto digits = numberDigits(field);
            if (!digits)
                continue;
            if (*digits == *wanted)
                return display;
            if (!endsAlike && digits->size() >= kSignificantDigits && wanted->size() >= kSignificantDigits
                && digits->right(kSignificantDigits) == wanted->right(kSignificantDigits))
                endsAlike = display;
        }
    }
    return endsAlike.value_or(QString());
}

const QList<int> &csvColumns()
{
    static const QList<int> columns = {1,  0,  5,  6,  3,  4,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17,
                                       -1, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, -1, 34, 32};
    return columns;
}

Checked<ExportedFile> WriteContactsCsv(const ContactList &contacts)
{
    ExportedFile file;
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        const ContactRecord &c = contacts[i];
        bool lossy = false;
        bool first = true;
        for (const int field : csvColumns()) {
            if (!first)
                file.bytes.append(';');
            first = false;
            if (field < 0)
                continue;
            const QString value = c.field(field);
            if (value.contains(u';') || value.contains(u'\r') || value.contains(u'\n'))
                return Checked<ExportedFile>::failure(where(i, c, field) + QStringLiteral(": a \";\" or a line end would break the CSV columns"));
            file.bytes.append(lossyCp1250(value, &lossy));
        }
        file.bytes.append('\r');
        if (lossy)
            file.lossyRows.append(int(i));
    }
    return file;
}

Checked<ExportedFile> WriteContactsXls(const ContactList &contacts)
{
    QList<QStringList> rows;
    QList<int> lossyRows;
    rows.reserve(contacts.size());
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        QStringList row;
        bool lossy = false;
        for (int col = 0; col <= 34; ++col)
            row.append(text::fromCp1250(lossyCp1250(contacts[i].field(col < 2 ? col : col + 1), &lossy)));
        rows.append(row);
        if (lossy)
            lossyRows.append(int(i));
    }
    const auto sheet = xls::writeTextSheet(rows);
    if (!sheet)
        return Checked<ExportedFile>::failure(sheet.error());
    return ExportedFile{*sheet, lossyRows};
}

QString lossyWarning(const ContactList &contacts, const QList<int> &lossyRows)
{
    if (lossyRows.isEmpty())
        return {};
    QStringList names;
    for (const int row : lossyRows)
        names.append(displayOf(contacts.value(row)));
    return QStringLiteral("letters that Windows-1250 cannot hold were replaced for: ") + names.join(QStringLiteral("; "));
}

} // namespace vandrel::phonebook
