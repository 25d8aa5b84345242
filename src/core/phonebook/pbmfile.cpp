#include "pbmfile.h"

#include "exports.h"

#include "core/text/cp1250.h"
#include "core/text/ucs2.h"

#include <QDate>
#include <QtEndian>

namespace vandrel::phonebook {
namespace {

constexpr int kTypeText = 9;
constexpr int kTypeNumber = 6;
constexpr int kTypeValue = 3;
constexpr int kTypeWide = 5;
constexpr int kHeaderSize = 8;
constexpr int kMaxItemData = 255;

struct FieldItem {
    int field;
    quint16 id;
    int type;
};

// Field number, item id and type, in the order the items are written.
constexpr FieldItem kItems[] = {
    {5, 0x0016, kTypeNumber}, {3, 0x0018, kTypeNumber}, {4, 0x0011, kTypeNumber}, {6, 0x0019, kTypeNumber},
    {1, 0x0003, kTypeText}, {0, 0x0001, kTypeText}, {35, 0x0005, kTypeText}, {7, 0xFF1C, kTypeText},
    {8, 0xFF1D, kTypeText}, {9, 0x000D, kTypeText}, {10, 0x0013, kTypeNumber}, {11, 0xFF0F, kTypeText},
    {12, 0x0009, kTypeText}, {13, 0x000C, kTypeText}, {15, 0x000A, kTypeText}, {14, 0x000B, kTypeText},
    {16, 0xFF43, kTypeText}, {17, 0x001C, kTypeText}, {18, 0xFF1E, kTypeText}, {19, 0xFF1F, kTypeText},
    {20, 0xFF20, kTypeText}, {21, 0xFF21, kTypeNumber}, {22, 0x0006, kTypeText}, {23, 0x0007, kTypeText},
    {24, 0xFF22, kTypeText}, {25, 0xFF23, kTypeText}, {26, 0xFF26, kTypeText}, {27, 0xFF25, kTypeText},
    {28, 0xFF24, kTypeText}, {29, 0xFF44, kTypeText}, {30, 0xFF27, kTypeText}, {31, 0xFF0C, kTypeText},
    {33, 0xFF28, kTypeText}, {34, 0xFF2A, kTypeText},
};
constexpr quint16 kGroupId = 0xFF39;
constexpr quint16 kDefaultNumberId = 0xFF2C;
constexpr quint16 kRecordNumberId = 0xFF3D;
constexpr quint16 kEmailMarkerId = 0xFF2D;
constexpr quint16 kAddressMarkerId = 0xFF2E;
constexpr quint16 kUrlMarkerId = 0xFF2F;
constexpr quint16 kFaxMarkerId = 0xFF30;
constexpr int kMaxRecordSize = 0xFFFF;

// Item ids of the default number 1..4; anything else is written as the private phone.
constexpr quint8 kDefaultNumberItems[] = {0x18, 0x18, 0x11, 0x16, 0x19};

const FieldItem &itemOf(int field)
{
    for (const FieldItem &f : kItems)
        if (f.field == field)
            return f;
    Q_UNREACHABLE();
}

QByteArray itemPattern(quint16 id, int type)
{
    QByteArray p(6, '\0');
    p[1] = char(id & 0xFF);
    p[2] = char(id >> 8);
    p[3] = char(type);
    return p;
}

void appendItem(QByteArray &out, quint16 id, int type, QByteArrayView data)
{
    out.append(char(id & 0xFF));
    out.append(char(id >> 8));
    out.append(char(type));
    out.append(3, '\0');
    out.append(char(data.size()));
    out.append('\0');
    out.append(data);
}

// Data of the first item with this id and type; nothing when absent, an error when it runs
// past the record.
std::optional<QByteArrayView> findItem(QByteArrayView record, quint16 id, int type, bool *overrun)
{
    const qsizetype p = record.indexOf(itemPattern(id, type));
    if (p < 0)
        return std::nullopt;
    if (p + 9 > record.size()) {
        *overrun = true;
        return std::nullopt;
    }
    const int length = 256 * static_cast<unsigned char>(record[p + 6]) + static_cast<unsigned char>(record[p + 7]);
    if (length < 1 || length > kMaxItemData || p + 9 + length - 1 > record.size()) {
        *overrun = true;
        return std::nullopt;
    }
    return record.sliced(p + 9, length - 1);
}

constexpr int kItemHeaderSize = 8;

struct RecordItem {
    quint16 id;
    int type;
    QByteArrayView data; // all L bytes
};

// The items one after another by their lengths, as the file lays them out; nothing when the
// record does not read that way.
std::optional<QList<RecordItem>> walkItems(QByteArrayView record)
{
    QList<RecordItem> items;
    qsizetype at = kHeaderSize;
    while (at < record.size()) {
        if (at + kItemHeaderSize > record.size())
            return std::nullopt;
        const auto byte = [&](int i) { return static_cast<unsigned char>(record[at + i]); };
        const int length = byte(6);
        if (byte(3) || byte(4) || byte(5) || byte(7) || length < 1 || at + kItemHeaderSize + length > record.size())
            return std::nullopt;
        items.append({quint16(byte(0) | byte(1) << 8), byte(2), record.sliced(at + kItemHeaderSize, length)});
        at += kItemHeaderSize + length;
    }
    return items;
}

// A record's items, and which of them the decoder has read.
struct Walked {
    QList<RecordItem> items;
    QList<bool> taken;

    // The first item of this id and type (and data size, when given), marked as read.
    const RecordItem *take(quint16 id, int type, qsizetype dataSize = -1)
    {
        for (qsizetype i = 0; i < items.size(); ++i)
            if (items[i].id == id && items[i].type == type) {
                if (dataSize >= 0 && items[i].data.size() != dataSize)
                    return nullptr;
                taken[i] = true;
                return &items[i];
            }
        return nullptr;
    }

    // Items nobody took, each anchored to the taken item in front of it.
    QList<KeptItem> kept() const
    {
        QList<KeptItem> out;
        quint16 after = 0;
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (taken[i])
                after = items[i].id;
            else
                out.append({items[i].id, quint8(items[i].type), after, items[i].data.toByteArray()});
        }
        return out;
    }
};

bool anyOf(const ContactRecord &c, std::initializer_list<int> fields)
{
    for (const int f : fields)
        if (!c.field(f).isEmpty())
            return true;
    return false;
}

QByteArray fieldData(const FieldItem &f, QString value)
{
    if (f.field == kBirthdayField)
        value = value.mid(6, 4) + value.mid(3, 2) + value.left(2);
    if (f.type == kTypeText)
        return text::toUcs2(value, text::Endian::Little) + QByteArray(2, '\0');
    return text::toCp1250(value).value_or(QByteArray()) + '\0';
}

// The record of a contact that passed the check.
QByteArray buildRecord(const ContactRecord &c, qsizetype i)
{
    QByteArray rec;
    rec.append(2, '\0');
    rec.append(char(i + 1));
    rec.append('\0');
    rec.append(char(i + 11));
    rec.append(3, '\0');

    QList<bool> written(c.keptItems.size(), false);
    const auto keptAfter = [&](quint16 id) {
        for (qsizetype k = 0; k < c.keptItems.size(); ++k)
            if (!written[k] && c.keptItems[k].after == id) {
                appendItem(rec, c.keptItems[k].id, c.keptItems[k].type, c.keptItems[k].data);
                written[k] = true;
            }
    };
    const auto known = [&](quint16 id, int type, QByteArrayView data) {
        appendItem(rec, id, type, data);
        keptAfter(id);
    };
    const auto marker = [&](quint16 id, quint32 value) {
        const quint32 le = qToLittleEndian(value);
        known(id, kTypeValue, QByteArrayView(reinterpret_cast<const char *>(&le), 4));
    };

    keptAfter(0);
    for (const FieldItem &f : kItems)
        if (const QString value = c.field(f.field); !value.isEmpty())
            known(f.id, f.type, fieldData(f, value));
    if (anyOf(c, {3, 4, 5, 6}))
        marker(kDefaultNumberId, kDefaultNumberItems[c.defaultNumber <= 4 ? c.defaultNumber : 0]);
    if (anyOf(c, {7, 8, 18, 19}))
        marker(kEmailMarkerId, 0x0000801C);
    if (anyOf(c, {11, 12, 13, 14, 15, 24, 25, 26, 27, 28}))
        marker(kAddressMarkerId, 0x00000005);
    if (anyOf(c, {9, 20}))
        marker(kUrlMarkerId, 0x0000000D);
    if (anyOf(c, {10, 21}))
        marker(kFaxMarkerId, 0x00000013);
    if (!c.group.isEmpty())
        marker(kGroupId, 0x00010000u | c.group.at(0).unicode());
    // Items whose neighbour is gone: before the record number, which stays last.
    for (qsizetype k = 0; k < c.keptItems.size(); ++k)
        if (!written[k] && c.keptItems[k].after != kRecordNumberId) {
            appendItem(rec, c.keptItems[k].id, c.keptItems[k].type, c.keptItems[k].data);
            written[k] = true;
        }
    const quint64 number = qToLittleEndian(quint64(i + 1));
    known(kRecordNumberId, kTypeWide, QByteArrayView(reinterpret_cast<const char *>(&number), 8));

    rec[0] = char(rec.size() & 0xFF);
    rec[1] = char((rec.size() >> 8) & 0xFF);
    return rec;
}

} // namespace

RecordResult DecodeContactRecord(QByteArrayView record)
{
    RecordResult result;
    ContactRecord c;
    // A value can hold bytes that look like another item's header, so items are taken from the
    // walk; only a record the walk cannot read is searched for their headers.
    std::optional<Walked> walked;
    if (auto items = walkItems(record))
        walked = Walked{*items, QList<bool>(items->size(), false)};
    const auto find = [&](quint16 id, int type, bool *overrun) -> std::optional<QByteArrayView> {
        if (!walked)
            return findItem(record, id, type, overrun);
        if (const RecordItem *item = walked->take(id, type))
            return item->data.chopped(1); // without the closing zero, as the search reads it
        return std::nullopt;
    };
    bool overrun = false;
    int badField = -1;
    const auto read = [&](int field) {
        const FieldItem &f = itemOf(field);
        bool itemOverrun = false;
        const auto data = find(f.id, f.type, &itemOverrun);
        if (itemOverrun && badField < 0)
            badField = field;
        overrun = overrun || itemOverrun;
        if (!data)
            return;
        QString value;
        if (f.type == kTypeText) {
            value = text::fromUcs2(*data, text::Endian::Little);
            if (value.endsWith(QChar(0)))
                value.chop(1);
        } else {
            value = text::fromCp1250(*data);
        }
        if (field == kBirthdayField && value.size() == 8 && value.toUInt() > 0)
            value = value.mid(6, 2) + u'.' + value.mid(4, 2) + u'.' + value.left(4);
        c.setField(field, value);
    };
    read(0);
    read(1);
    if (!overrun && c.firstName.isEmpty() && c.surname.isEmpty())
        return result;
    for (const FieldItem &f : kItems)
        if (f.field > 1)
            read(f.field);

    bool groupOverrun = false;
    if (const auto g = find(kGroupId, kTypeValue, &groupOverrun); g && !g->isEmpty())
        c.group = QString(QChar(char16_t(static_cast<unsigned char>(g->at(0)))));
    overrun = overrun || groupOverrun;

    std::optional<unsigned char> defaultItem;
    if (walked) {
        if (const RecordItem *item = walked->take(kDefaultNumberId, kTypeValue, 4))
            defaultItem = static_cast<unsigned char>(item->data[0]);
        // Written anew from the fields.
        for (const quint16 id : {kEmailMarkerId, kAddressMarkerId, kUrlMarkerId, kFaxMarkerId})
            walked->take(id, kTypeValue, 4);
        walked->take(kRecordNumberId, kTypeWide, 8);
        c.keptItems = walked->kept();
    } else {
        static const QByteArray marker = QByteArray::fromHex("2CFF030000000400");
        if (const qsizetype m = record.indexOf(marker); m >= 0 && m + marker.size() < record.size())
            defaultItem = static_cast<unsigned char>(record[m + marker.size()]);
    }
    if (defaultItem) {
        switch (*defaultItem) {
        case 0x18: c.defaultNumber = 1; break;
        case 0x11: c.defaultNumber = 2; break;
        case 0x16: c.defaultNumber = 3; break;
        case 0x19: c.defaultNumber = 4; break;
        default: c.defaultNumber = 0; break;
        }
    }
    if (!walked)
        result.problem = QStringLiteral("its items do not follow one another; only the known ones were found, and a "
                                        "write keeps nothing else of it");
    if (overrun) {
        result.problem = QStringLiteral("the item of %1 runs past the end of its record")
                             .arg(badField >= 0 ? fieldName(badField) : fieldName(kGroupField));
        return result;
    }
    result.contact = c;
    return result;
}

DecodedAddressBook DecodeAddressBook(QByteArrayView file)
{
    DecodedAddressBook book;
    qsizetype at = 0;
    int recordNumber = 0;
    while (at < file.size()) {
        ++recordNumber;
        const qsizetype left = file.size() - at;
        if (left < 2) {
            book.problems.append(QStringLiteral("record %1: one byte left over at the end").arg(recordNumber));
            break;
        }
        const int length = static_cast<unsigned char>(file[at]) | static_cast<unsigned char>(file[at + 1]) << 8;
        if (length == 0) {
            book.problems.append(QStringLiteral("record %1 has length 0; the %2 bytes after it are not read")
                                     .arg(recordNumber).arg(left - 2));
            break;
        }
        if (length > left)
            book.problems.append(QStringLiteral("record %1 is cut short: %2 of its %3 bytes are there")
                                     .arg(recordNumber).arg(left).arg(length));
        const qsizetype take = qMin<qsizetype>(length, left);
        const RecordResult r = DecodeContactRecord(file.sliced(at, take));
        at += take;
        if (!r.problem.isEmpty())
            book.problems.append(QStringLiteral("record %1: %2").arg(recordNumber).arg(r.problem));
        if (r.contact) {
            book.contacts.append(*r.contact);
            book.contacts.last().recordNumber = recordNumber;
        } else if (r.problem.isEmpty()) {
            book.namelessRecords.append(recordNumber);
        }
    }
    return book;
}

QList<TableProblem> checkForPhone(const ContactList &contacts)
{
    QList<TableProblem> problems;
    if (contacts.size() > kMaxContacts)
        problems.append({TableProblem::TooManyContacts, -1, -1,
                         QStringLiteral("%1 contacts do not fit the phonebook file (at most %2)").arg(contacts.size()).arg(kMaxContacts)});
    for (qsizetype i = 0; i < contacts.size(); ++i) {
        const ContactRecord &c = contacts[i];
        const int row = int(i);
        const qsizetype before = problems.size();
        const auto refuse = [&](TableProblem::Kind kind, int field, const QString &why) {
            QString where = contactLabel(row, c);
            if (field >= 0)
                where += QStringLiteral(", field ") + fieldName(field);
            problems.append({kind, row, field, where + QStringLiteral(": ") + why});
        };
        if (c.firstName.isEmpty() && c.surname.isEmpty())
            refuse(TableProblem::NoName, -1, QStringLiteral("neither a first name nor a surname; the phone's file would lose it"));
        for (const FieldItem &f : kItems) {
            const QString value = c.field(f.field);
            if (value.isEmpty())
                continue;
            if (f.field == kBirthdayField && (value.size() != 10 || !QDate::fromString(value, QStringLiteral("dd.MM.yyyy")).isValid())) {
                refuse(TableProblem::NotADate, f.field, QStringLiteral("\"%1\" is not a date DD.MM.YYYY").arg(value));
            } else if (f.type == kTypeText) {
                if (value.size() > kMaxTextCharacters)
                    refuse(TableProblem::TooLong, f.field,
                           QStringLiteral("%1 characters do not fit (at most %2)").arg(value.size()).arg(kMaxTextCharacters));
            } else if (qsizetype bad = -1; !text::toCp1250(value, &bad)) {
                refuse(TableProblem::NotInCodePage, f.field,
                       QStringLiteral("the character \"%1\" cannot be stored in a number").arg(value.at(bad)));
            } else if (value.size() > kMaxNumberCharacters) {
                refuse(TableProblem::TooLong, f.field,
                       QStringLiteral("%1 characters do not fit (at most %2)").arg(value.size()).arg(kMaxNumberCharacters));
            }
        }
        if (!c.group.isEmpty() && (c.group.size() != 1 || c.group.at(0).unicode() > 0xFF))
            refuse(TableProblem::BadGroup, kGroupField, QStringLiteral("a group is one number from 0 to 255"));
        for (const KeptItem &k : c.keptItems)
            if (k.data.isEmpty() || k.data.size() > kMaxItemData)
                refuse(TableProblem::BadKeptItem, -1,
                       QStringLiteral("a kept item %1 holds %2 bytes (1 to %3 fit)").arg(k.id, 4, 16, QChar(u'0')).arg(k.data.size()).arg(kMaxItemData));
        if (problems.size() == before && buildRecord(c, i).size() > kMaxRecordSize)
            refuse(TableProblem::RecordTooLong, -1, QStringLiteral("its record would pass %1 bytes").arg(kMaxRecordSize));
    }
    return problems;
}

Checked<QByteArray> EncodeAddressBook(const ContactList &contacts)
{
    if (const QList<TableProblem> problems = checkForPhone(contacts); !problems.isEmpty())
        return Checked<QByteArray>::failure(problems.first().text);
    QByteArray out;
    for (qsizetype i = 0; i < contacts.size(); ++i)
        out.append(buildRecord(contacts[i], i));
    return out;
}

} // namespace vandrel::phonebook
