#include "vcard.h"

#include "exports.h"

#include "core/text/cp1250.h"

#include <QDate>
#include <QHash>
#include <QStringDecoder>
#include <array>
#include <cctype>

namespace vandrel::phonebook {
namespace {

// Field numbers of the contact record.
enum : int {
    FirstName = 0, Surname = 1, PrivatePhone = 3, BusinessPhone = 4, PrivateMobile = 5, BusinessMobile = 6,
    PrivateEmail = 7, PrivateEmail2 = 8, PrivateUrl = 9, PrivateFax = 10, PrivateNotes = 17, BusinessEmail = 18,
    BusinessEmail2 = 19, BusinessUrl = 20, BusinessFax = 21, Company = 22, JobTitle = 23, BusinessNotes = 30,
    Picture = 31, Ringtone = 33, DisplayName = 35,
};

// The fields of the ADR components extended address, street, locality, region, postal code,
// country (the post-office box has no field).
using AddressFields = std::array<int, 6>;
constexpr AddressFields kPrivateAddress = {16, 11, 12, 14, 13, 15};
constexpr AddressFields kBusinessAddress = {29, 24, 25, 27, 26, 28};

struct Tel {
    int field;
    const char *types;
};
constexpr Tel kTels[] = {{PrivatePhone, "HOME,VOICE"}, {BusinessPhone, "WORK,VOICE"}, {PrivateMobile, "HOME,CELL"},
                         {BusinessMobile, "WORK,CELL"}, {PrivateFax, "HOME,FAX"}, {BusinessFax, "WORK,FAX"}};

const QByteArray kProductId = "-//Vandrel Controller//Phonebook//EN";

// --- writing ----------------------------------------------------------------------------

QString escaped(const QString &value)
{
    QString out;
    out.reserve(value.size() + 8);
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar ch = value[i];
        if (ch == u'\\' || ch == u',' || ch == u';') {
            out += u'\\';
            out += ch;
        } else if (ch == u'\r' || ch == u'\n') {
            out += QStringLiteral("\\n");
            if (ch == u'\r' && i + 1 < value.size() && value[i + 1] == u'\n')
                ++i;
        } else {
            out += ch;
        }
    }
    return out;
}

// vCard has one line break; a value whose breaks are all CR LF, or all a bare CR, says so in
// a parameter so that it reads back the same.
QString newlineParameter(const QString &value)
{
    const qsizetype crlf = value.count(QStringLiteral("\r\n"));
    const qsizetype cr = value.count(u'\r');
    const qsizetype lf = value.count(u'\n');
    if (crlf > 0 && crlf == cr && crlf == lf)
        return QStringLiteral(";X-VANDREL-NEWLINE=CRLF");
    if (cr > 0 && lf == 0)
        return QStringLiteral(";X-VANDREL-NEWLINE=CR");
    return {};
}

void appendFolded(QByteArray &out, const QByteArray &line)
{
    qsizetype at = 0;
    qsizetype limit = 75;
    while (line.size() - at > limit) {
        qsizetype cut = at + limit;
        while (cut > at && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut; // never inside a UTF-8 sequence
        out += line.mid(at, cut - at) + "\r\n ";
        at = cut;
        limit = 74; // the leading blank counts
    }
    out += line.mid(at) + "\r\n";
}

class CardWriter {
public:
    explicit CardWriter(QByteArray &out) : m_out(out) {}

    // A text property; nothing for an empty value.
    void text(const QString &nameAndParameters, const QString &value)
    {
        if (!value.isEmpty())
            raw(nameAndParameters + newlineParameter(value), escaped(value));
    }
    // A property of components separated by ";"; nothing when all are empty, unless always.
    void structured(const QString &nameAndParameters, const QStringList &components, bool always = false)
    {
        if (!always && components.join(QString()).isEmpty())
            return;
        QStringList parts;
        QString newline;
        for (const QString &c : components) {
            parts.append(escaped(c));
            if (newline.isEmpty())
                newline = newlineParameter(c);
        }
        raw(nameAndParameters + newline, parts.join(u';'));
    }
    void raw(const QString &nameAndParameters, const QString &value)
    {
        appendFolded(m_out, (nameAndParameters + u':' + value).toUtf8());
    }

private:
    QByteArray &m_out;
};

void writeCard(QByteArray &out, const ContactRecord &c, const QStringList &groupNames)
{
    CardWriter w(out);
    w.raw(QStringLiteral("BEGIN"), QStringLiteral("VCARD"));
    w.raw(QStringLiteral("VERSION"), QStringLiteral("3.0"));
    w.raw(QStringLiteral("PRODID"), QString::fromLatin1(kProductId));
    w.structured(QStringLiteral("N"), {c.surname, c.firstName, {}, {}, {}}, true);
    if (!c.displayName.isEmpty())
        w.text(QStringLiteral("FN"), c.displayName);
    else
        w.raw(QStringLiteral("FN;X-VANDREL-DERIVED=TRUE"), escaped(displayOf(c)));

    bool defaultMarked = false;
    for (const Tel &t : kTels) {
        const QString number = c.field(t.field);
        const bool isDefault = c.defaultNumber == t.field - PrivatePhone + 1;
        defaultMarked = defaultMarked || (isDefault && !number.isEmpty());
        w.text(QStringLiteral("TEL;TYPE=%1%2").arg(QLatin1String(t.types), isDefault ? QStringLiteral(",PREF") : QString()), number);
    }
    if (c.defaultNumber != 0 && !defaultMarked)
        w.raw(QStringLiteral("X-VANDREL-DEFAULT-NUMBER"), QString::number(c.defaultNumber));

    w.text(QStringLiteral("EMAIL;TYPE=INTERNET,HOME"), c.privateEmail);
    w.text(QStringLiteral("EMAIL;TYPE=INTERNET,HOME;X-VANDREL-FIELD=privateEmail2"), c.privateEmail2);
    w.text(QStringLiteral("EMAIL;TYPE=INTERNET,WORK"), c.businessEmail);
    w.text(QStringLiteral("EMAIL;TYPE=INTERNET,WORK;X-VANDREL-FIELD=businessEmail2"), c.businessEmail2);
    w.text(QStringLiteral("URL;TYPE=HOME"), c.privateUrl);
    w.text(QStringLiteral("URL;TYPE=WORK"), c.businessUrl);
    for (const auto &[type, fields] : {std::pair{"HOME", kPrivateAddress}, std::pair{"WORK", kBusinessAddress}}) {
        QStringList components{QString()};
        for (const int f : fields)
            components.append(c.field(f));
        w.structured(QStringLiteral("ADR;TYPE=") + QLatin1String(type), components);
    }
    w.structured(QStringLiteral("ORG"), {c.company});
    w.text(QStringLiteral("TITLE"), c.jobTitle);
    w.text(QStringLiteral("NOTE"), c.privateNotes);
    w.text(QStringLiteral("NOTE;X-VANDREL-FIELD=businessNotes"), c.businessNotes);

    if (const QDate d = QDate::fromString(c.birthday, QStringLiteral("dd.MM.yyyy")); c.birthday.size() == 10 && d.isValid())
        w.raw(QStringLiteral("BDAY"), d.toString(Qt::ISODate));
    else
        w.text(QStringLiteral("X-VANDREL-BIRTHDAY"), c.birthday);
    if (!c.group.isEmpty()) {
        QStringList codes;
        for (const QChar g : c.group)
            codes.append(QString::number(g.unicode()));
        if (c.group.size() == 1 && c.group[0].unicode() < groupNames.size())
            w.text(QStringLiteral("CATEGORIES"), groupNames[c.group[0].unicode()]);
        w.raw(QStringLiteral("X-VANDREL-GROUP"), codes.join(u' '));
    }
    w.text(QStringLiteral("X-VANDREL-PICTURE"), c.picture);
    w.text(QStringLiteral("X-VANDREL-RINGTONE"), c.ringtone);
    if (c.recordNumber > 0)
        w.raw(QStringLiteral("X-VANDREL-RECORD"), QString::number(c.recordNumber));
    for (const KeptItem &k : c.keptItems)
        w.raw(QStringLiteral("X-VANDREL-ITEM"), QStringLiteral("%1 %2 %3 %4")
                                                    .arg(k.id, 4, 16, QChar(u'0'))
                                                    .arg(k.type, 2, 16, QChar(u'0'))
                                                    .arg(k.after, 4, 16, QChar(u'0'))
                                                    .arg(QString::fromLatin1(k.data.toHex()))
                                                    .toUpper());
    w.raw(QStringLiteral("END"), QStringLiteral("VCARD"));
}

// --- reading ----------------------------------------------------------------------------

struct Property {
    QByteArray name;                       // upper case, without a group prefix
    QHash<QByteArray, QByteArray> params;  // upper-case names
    QList<QByteArray> types;               // upper case: TYPE values and 2.1's bare parameters
    QByteArray value;                      // as it stands on the line

    bool has(const char *type) const { return types.contains(QByteArray(type)); }
};

QByteArray unquoted(QByteArray v)
{
    if (v.size() >= 2 && v.startsWith('"') && v.endsWith('"'))
        v = v.mid(1, v.size() - 2);
    return v;
}

std::optional<Property> parseLine(QByteArrayView line)
{
    qsizetype colon = -1;
    bool quoted = false;
    QList<qsizetype> semicolons;
    for (qsizetype i = 0; i < line.size() && colon < 0; ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (!quoted && line[i] == ';')
            semicolons.append(i);
        else if (!quoted && line[i] == ':')
            colon = i;
    }
    if (colon < 0)
        return std::nullopt;
    semicolons.append(colon);
    Property p;
    p.name = line.first(semicolons[0]).toByteArray().trimmed().toUpper();
    p.name = p.name.mid(p.name.lastIndexOf('.') + 1);
    for (qsizetype k = 0; k + 1 < semicolons.size(); ++k) {
        const QByteArray param = line.sliced(semicolons[k] + 1, semicolons[k + 1] - semicolons[k] - 1).toByteArray().trimmed();
        const qsizetype eq = param.indexOf('=');
        if (eq < 0) {
            p.types.append(param.toUpper());
            continue;
        }
        const QByteArray name = param.left(eq).trimmed().toUpper();
        const QByteArray value = unquoted(param.mid(eq + 1).trimmed());
        if (name == "TYPE") {
            for (const QByteArray &t : value.split(','))
                p.types.append(unquoted(t.trimmed()).toUpper());
        } else {
            p.params.insert(name, value);
        }
    }
    p.value = line.sliced(colon + 1).toByteArray();
    return p;
}

QByteArray quotedPrintable(QByteArrayView in)
{
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (in[i] == '=' && i + 2 < in.size() && isxdigit(static_cast<unsigned char>(in[i + 1]))
            && isxdigit(static_cast<unsigned char>(in[i + 2]))) {
            out.append(QByteArray::fromHex(in.sliced(i + 1, 2).toByteArray()));
            i += 2;
            continue;
        }
        if (in[i] != '=' || i + 1 < in.size()) // a soft break at the very end leads nowhere
            out.append(in[i]);
    }
    return out;
}

bool isQuotedPrintable(const Property &p)
{
    return p.params.value("ENCODING").toUpper() == "QUOTED-PRINTABLE" || p.has("QUOTED-PRINTABLE");
}

bool isBinary(const Property &p)
{
    const QByteArray e = p.params.value("ENCODING").toUpper();
    return e == "B" || e == "BASE64" || p.has("BASE64");
}

QString decoded(const Property &p, bool fileIsUtf8)
{
    const QByteArray bytes = isQuotedPrintable(p) ? quotedPrintable(p.value) : p.value;
    const QByteArray charset = p.params.value("CHARSET").toUpper();
    if (charset == "UTF-8" || charset == "UTF8" || (charset.isEmpty() && fileIsUtf8))
        return QString::fromUtf8(bytes);
    if (charset.isEmpty() || charset == "WINDOWS-1250" || charset == "CP1250")
        return text::fromCp1250(bytes);
    QStringDecoder decoder(charset.constData());
    return decoder.isValid() ? decoder.decode(bytes) : text::fromCp1250(bytes);
}

QString unescaped(QStringView v)
{
    QString out;
    out.reserve(v.size());
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'\\' && i + 1 < v.size()) {
            ++i;
            out += (v[i] == u'n' || v[i] == u'N') ? QChar(u'\n') : v[i];
        } else {
            out += v[i];
        }
    }
    return out;
}

// Split on separators that are not escaped, then unescape each part.
QStringList split(QStringView v, QChar separator)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'\\')
            ++i;
        else if (v[i] == separator) {
            parts.append(unescaped(v.sliced(start, i - start)));
            start = i + 1;
        }
    }
    parts.append(unescaped(v.sliced(qMin(start, v.size()))));
    return parts;
}

class CardReader {
public:
    CardReader(int number, const QStringList &groupNames) : m_number(number), m_groupNames(groupNames) {}

    void read(const Property &p, const QString &value)
    {
        const QString newline = QString::fromLatin1(p.params.value("X-VANDREL-NEWLINE").toUpper());
        const auto text = [&](QString v) {
            if (newline == u"CRLF")
                v.replace(u'\n', QStringLiteral("\r\n"));
            else if (newline == u"CR")
                v.replace(u'\n', u'\r');
            return v;
        };
        const QString plain = text(unescaped(value));
        if (p.params.contains("X-VANDREL-FIELD")) {
            const QString name = QString::fromUtf8(p.params.value("X-VANDREL-FIELD"));
            for (int f = 0; f < kFieldCount; ++f)
                if (f != kDefaultNumberField && fieldName(f).compare(name, Qt::CaseInsensitive) == 0) {
                    m_contact.setField(f, plain);
                    return;
                }
        }
        const bool work = p.has("WORK");
        const QByteArray &n = p.name;
        if (n == "N") {
            const QStringList parts = split(value, u';');
            m_contact.surname = text(parts.value(0));
            m_contact.firstName = text(QStringList{parts.value(1), parts.value(2)}.join(u' ').trimmed());
        } else if (n == "FN") {
            m_fn = plain;
            m_fnDerived = p.params.contains("X-VANDREL-DERIVED");
        } else if (n == "TEL") {
            QString number = plain;
            if (number.startsWith(QStringLiteral("tel:"), Qt::CaseInsensitive))
                number = number.mid(4);
            int slot = -1;
            if (p.has("FAX"))
                slot = place(number, work ? QList<int>{BusinessFax, PrivateFax} : QList<int>{PrivateFax, BusinessFax}, "TEL");
            else if (p.has("CELL"))
                slot = place(number, work ? QList<int>{BusinessMobile, PrivateMobile, BusinessPhone, PrivatePhone}
                                          : QList<int>{PrivateMobile, BusinessMobile, PrivatePhone, BusinessPhone}, "TEL");
            else
                slot = place(number, work ? QList<int>{BusinessPhone, PrivatePhone, BusinessMobile, PrivateMobile}
                                          : QList<int>{PrivatePhone, BusinessPhone, PrivateMobile, BusinessMobile}, "TEL");
            const bool preferred = p.has("PREF") || p.params.contains("PREF");
            if (preferred && m_preferred < 0 && slot >= PrivatePhone && slot <= BusinessMobile)
                m_preferred = slot - PrivatePhone + 1;
        } else if (n == "EMAIL") {
            place(plain, work ? QList<int>{BusinessEmail, BusinessEmail2, PrivateEmail, PrivateEmail2}
                              : QList<int>{PrivateEmail, PrivateEmail2, BusinessEmail, BusinessEmail2}, "EMAIL");
        } else if (n == "URL") {
            place(plain, work ? QList<int>{BusinessUrl, PrivateUrl} : QList<int>{PrivateUrl, BusinessUrl}, "URL");
        } else if (n == "ADR") {
            address(split(value, u';'), work, text);
        } else if (n == "ORG") {
            QStringList parts = split(value, u';');
            parts.removeAll(QString());
            place(text(parts.join(QStringLiteral(", "))), {Company}, "ORG");
        } else if (n == "TITLE") {
            place(plain, {JobTitle}, "TITLE");
        } else if (n == "NOTE") {
            place(plain, {PrivateNotes, BusinessNotes}, "NOTE");
        } else if (n == "BDAY") {
            birthday(plain);
        } else if (n == "CATEGORIES") {
            m_categories += split(value, u',');
        } else if (n == "X-VANDREL-GROUP") {
            QString group;
            for (const QString &code : plain.split(u' ', Qt::SkipEmptyParts))
                group += QChar(char16_t(code.toUShort()));
            m_contact.group = group;
            m_groupGiven = true;
        } else if (n == "X-VANDREL-PICTURE") {
            m_contact.picture = plain;
        } else if (n == "X-VANDREL-RINGTONE") {
            m_contact.ringtone = plain;
        } else if (n == "X-VANDREL-BIRTHDAY") {
            m_contact.birthday = plain;
        } else if (n == "X-VANDREL-DEFAULT-NUMBER") {
            m_defaultGiven = plain.toInt();
        } else if (n == "X-VANDREL-RECORD") {
            m_contact.recordNumber = plain.toInt();
        } else if (n == "X-VANDREL-ITEM") {
            keptItem(plain);
        }
    }

    ContactRecord finish(QStringList &problems)
    {
        if (!m_fnDerived)
            m_contact.displayName = m_fn;
        if (m_contact.firstName.isEmpty() && m_contact.surname.isEmpty() && !m_fnDerived && !m_ours)
            m_contact.surname = m_fn;
        if (m_defaultGiven >= 0 && !m_contact.setField(kDefaultNumberField, QString::number(m_defaultGiven)))
            m_problems.append(QStringLiteral("default number %1 is not one of 0 to 4").arg(m_defaultGiven));
        else if (m_defaultGiven < 0 && m_preferred > 0)
            m_contact.defaultNumber = quint8(m_preferred);
        if (!m_groupGiven)
            for (const QString &category : std::as_const(m_categories)) {
                const qsizetype g = m_groupNames.indexOf(category.trimmed(), 0);
                if (g >= 0 && g <= 0xFF) {
                    m_contact.group = QString(QChar(char16_t(g)));
                    break;
                }
            }
        const QString who = displayOf(m_contact).isEmpty() ? m_contact.displayName : displayOf(m_contact);
        for (const QString &p : std::as_const(m_problems))
            problems.append(QStringLiteral("card %1 (%2): %3").arg(m_number).arg(who, p));
        return m_contact;
    }

    void markOurs() { m_ours = true; }

private:
    int place(const QString &value, const QList<int> &fields, const char *property)
    {
        if (value.isEmpty())
            return -1;
        for (const int f : fields)
            if (m_contact.field(f).isEmpty()) {
                m_contact.setField(f, value);
                return f;
            }
        m_problems.append(QStringLiteral("%1 \"%2\" found no free field and was left out").arg(QLatin1String(property), value));
        return -1;
    }

    template<typename Text>
    void address(const QStringList &parts, bool work, const Text &text)
    {
        // A post-office box goes with the extended address.
        QStringList extended{parts.value(0), parts.value(1)};
        extended.removeAll(QString());
        QStringList values{extended.join(QStringLiteral(", "))};
        for (int i = 2; i < 7; ++i)
            values.append(parts.value(i));
        if (values.join(QString()).isEmpty())
            return;
        const auto isFree = [&](const AddressFields &fields) {
            for (const int f : fields)
                if (!m_contact.field(f).isEmpty())
                    return false;
            return true;
        };
        const AddressFields *fields = work ? &kBusinessAddress : &kPrivateAddress;
        if (!isFree(*fields))
            fields = work ? &kPrivateAddress : &kBusinessAddress;
        if (!isFree(*fields)) {
            m_problems.append(QStringLiteral("ADR \"%1\" found no free address and was left out").arg(values.join(QStringLiteral(", "))));
            return;
        }
        for (int i = 0; i < 6; ++i)
            m_contact.setField((*fields)[i], text(values[i]));
    }

    void birthday(const QString &value)
    {
        const QString day = value.left(value.indexOf(u'T') < 0 ? value.size() : value.indexOf(u'T'));
        QDate d = QDate::fromString(day, QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid())
            d = QDate::fromString(day, QStringLiteral("yyyyMMdd"));
        if (d.isValid() && d.year() > 0)
            m_contact.birthday = d.toString(QStringLiteral("dd.MM.yyyy"));
        else if (!value.isEmpty())
            m_problems.append(QStringLiteral("BDAY \"%1\" is not a whole date and was left out").arg(value));
    }

    void keptItem(const QString &value)
    {
        const QStringList parts = value.split(u' ', Qt::SkipEmptyParts);
        bool idOk = false, typeOk = false, afterOk = false;
        const uint id = parts.value(0).toUInt(&idOk, 16);
        const uint type = parts.value(1).toUInt(&typeOk, 16);
        const uint after = parts.value(2).toUInt(&afterOk, 16);
        const QByteArray hex = parts.value(3).toLatin1();
        const QByteArray data = QByteArray::fromHex(hex);
        if (parts.size() != 4 || !idOk || !typeOk || !afterOk || id > 0xFFFF || type > 0xFF || after > 0xFFFF
            || data.toHex() != hex.toLower()) {
            m_problems.append(QStringLiteral("X-VANDREL-ITEM \"%1\" is not an item and was left out").arg(value));
            return;
        }
        m_contact.keptItems.append({quint16(id), quint8(type), quint16(after), data});
    }

    int m_number;
    const QStringList &m_groupNames;
    ContactRecord m_contact;
    QStringList m_problems;
    QStringList m_categories;
    QString m_fn;
    bool m_fnDerived = false;
    bool m_groupGiven = false;
    bool m_ours = false;
    int m_preferred = -1;
    int m_defaultGiven = -1;
};

// Physical lines, whatever ends them.
QList<QByteArrayView> physicalLines(QByteArrayView file)
{
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < file.size(); ++i) {
        if (file[i] != '\r' && file[i] != '\n')
            continue;
        lines.append(file.sliced(start, i - start));
        if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < file.size())
        lines.append(file.sliced(start));
    return lines;
}

bool isUtf8(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes); // decoding happens on the conversion to QString
    return !utf8.hasError();
}

bool headerSays(QByteArrayView line, QByteArrayView word)
{
    const qsizetype colon = line.indexOf(':');
    return colon >= 0 && line.first(colon).toByteArray().toUpper().contains(word);
}

} // namespace

QByteArray WriteContactsVCard(const ContactList &contacts, const QStringList &groupNames)
{
    QByteArray out;
    for (const ContactRecord &c : contacts)
        writeCard(out, c, groupNames);
    return out;
}

ReadVCards ReadContactsVCard(QByteArrayView file, const QStringList &groupNames)
{
    if (file.startsWith("\xEF\xBB\xBF"))
        file = file.sliced(3);

    // Logical lines: a line that begins with a blank continues the one before (the blank is
    // dropped, but kept in vCard 2.1); a quoted-printable value that ends in "=" goes on on
    // the next line, unless that one begins or ends a card.
    QList<QByteArray> logical;
    bool version21 = false;
    for (const QByteArrayView line : physicalLines(file)) {
        const QByteArray upperLine = line.toByteArray().toUpper();
        const bool cardLine = upperLine.startsWith("BEGIN:VCARD") || upperLine.startsWith("END:VCARD");
        const bool softBreak = !logical.isEmpty() && !cardLine && logical.last().endsWith('=')
                               && headerSays(logical.last(), "QUOTED-PRINTABLE");
        if (softBreak) {
            logical.last().chop(1);
            logical.last() += line;
        } else if (!logical.isEmpty() && !line.isEmpty() && (line[0] == ' ' || line[0] == '\t')) {
            logical.last() += version21 ? line : line.sliced(1);
        } else if (!line.trimmed().isEmpty()) {
            logical.append(line.toByteArray());
            if (cardLine)
                version21 = false;
            else if (upperLine.trimmed() == "VERSION:2.1")
                version21 = true;
        }
    }

    // Some programs fold inside a UTF-8 sequence, so the text is judged once unfolded.
    const bool fileIsUtf8 = isUtf8(logical.join('\n'));

    ReadVCards result;
    std::optional<CardReader> card;
    int depth = 0;
    int number = 0;
    for (const QByteArray &line : std::as_const(logical)) {
        const auto p = parseLine(line);
        if (!p)
            continue;
        const QByteArray value = p->value.trimmed().toUpper();
        if (p->name == "BEGIN" && value == "VCARD") {
            if (depth++ == 0)
                card.emplace(++number, groupNames);
            continue;
        }
        if (p->name == "END" && value == "VCARD") {
            if (depth > 0 && --depth == 0 && card) {
                result.contacts.append(card->finish(result.problems));
                card.reset();
            }
            continue;
        }
        if (!card || depth != 1 || isBinary(*p))
            continue;
        if (p->name == "PRODID" && p->value == kProductId)
            card->markOurs();
        card->read(*p, decoded(*p, fileIsUtf8));
    }
    if (card)
        result.contacts.append(card->finish(result.problems));
    return result;
}

} // namespace vandrel::phonebook
