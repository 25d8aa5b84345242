#include "json.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace vandrel::phonebook {
namespace {

const QString kRecordNumber = QStringLiteral("recordNumber");
const QString kKeptItems = QStringLiteral("keptItems");

int fieldByName(const QString &name)
{
    for (int f = 0; f < kFieldCount; ++f)
        if (fieldName(f) == name)
            return f;
    return -1;
}

// A whole number from 0 to max, or -1.
int wholeNumber(const QJsonValue &v, int max)
{
    const double d = v.toDouble(-1);
    return v.isDouble() && d >= 0 && d <= max && d == int(d) ? int(d) : -1;
}

std::optional<KeptItem> keptItemOf(const QJsonValue &v)
{
    const QJsonObject o = v.toObject();
    const int id = wholeNumber(o[u"id"], 0xFFFF);
    const int type = wholeNumber(o[u"type"], 0xFF);
    const int after = wholeNumber(o[u"after"], 0xFFFF);
    const QByteArray hex = o[u"data"].toString().toLatin1();
    const QByteArray data = QByteArray::fromHex(hex);
    if (!v.isObject() || o.size() != 4 || id < 0 || type < 0 || after < 0 || data.toHex() != hex.toLower())
        return std::nullopt;
    return KeptItem{quint16(id), quint8(type), quint16(after), data};
}

} // namespace

QByteArray contactsToJson(const ContactList &contacts)
{
    QJsonArray array;
    for (const ContactRecord &c : contacts) {
        QJsonObject o;
        for (int f = 0; f < kFieldCount; ++f) {
            if (f == kDefaultNumberField)
                o.insert(fieldName(f), int(c.defaultNumber));
            else if (f == kGroupField && c.group.size() == 1)
                o.insert(fieldName(f), int(c.group.at(0).unicode()));
            else if (!c.field(f).isEmpty())
                o.insert(fieldName(f), c.field(f));
        }
        if (c.recordNumber > 0)
            o.insert(kRecordNumber, c.recordNumber);
        if (!c.keptItems.isEmpty()) {
            QJsonArray items;
            for (const KeptItem &k : c.keptItems)
                items.append(QJsonObject{{u"id"_qs, k.id}, {u"type"_qs, k.type}, {u"after"_qs, k.after},
                                         {u"data"_qs, QString::fromLatin1(k.data.toHex())}});
            o.insert(kKeptItems, items);
        }
        array.append(o);
    }
    return QJsonDocument(array).toJson();
}

Checked<ContactList> contactsFromJson(QByteArrayView json)
{
    using R = Checked<ContactList>;
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json.toByteArray(), &error);
    if (!doc.isArray())
        return R::failure(error.error != QJsonParseError::NoError ? error.errorString() : QStringLiteral("not a list of contacts"));
    ContactList contacts;
    int index = 0;
    for (const QJsonValue &v : doc.array()) {
        ++index;
        if (!v.isObject())
            return R::failure(QStringLiteral("contact %1 is not an object").arg(index));
        ContactRecord c;
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it) {
            const auto refuse = [&] { return R::failure(QStringLiteral("contact %1: unknown or mistyped field \"%2\"").arg(index).arg(it.key())); };
            if (it.key() == kRecordNumber) {
                if ((c.recordNumber = wholeNumber(*it, 0xFFFF)) < 0)
                    return refuse();
            } else if (it.key() == kKeptItems) {
                if (!it->isArray())
                    return refuse();
                for (const QJsonValue &item : it->toArray()) {
                    const auto k = keptItemOf(item);
                    if (!k)
                        return refuse();
                    c.keptItems.append(*k);
                }
            } else if (const int f = fieldByName(it.key()); f == kDefaultNumberField) {
                const int n = wholeNumber(*it, 4);
                if (n < 0)
                    return R::failure(QStringLiteral("contact %1: %2 is not a default number from 0 to 4").arg(index).arg(it->toVariant().toString()));
                c.defaultNumber = quint8(n);
            } else if (f == kGroupField && it->isDouble()) {
                const int n = wholeNumber(*it, 0xFF);
                if (n < 0)
                    return R::failure(QStringLiteral("contact %1: group %2 is not a number from 0 to 255").arg(index).arg(it->toDouble()));
                c.group = QString(QChar(char16_t(n)));
            } else if (f < 0 || !it->isString()) {
                return refuse();
            } else {
                c.setField(f, it->toString());
            }
        }
        contacts.append(c);
    }
    return contacts;
}

} // namespace vandrel::phonebook
