#include "direntry.h"

#include "core/text/cp1250.h"

#include <algorithm>
#include <vector>

namespace vandrel::explorer {
namespace {

// The comparison key of one caption: rank (parent, folder, file), then one value per character.
struct SortKey {
    int rank = 0;
    std::vector<quint32> chars;
};

quint32 charKey(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'A' && u <= u'Z')
        return u + 0x20;
    if (u < 0x80)
        return u;
    if (const auto byte = text::toCp1250(QStringView(&c, 1)))
        return quint8(byte->at(0));
    return 0x100 + u;
}

SortKey sortKey(QStringView caption)
{
    SortKey k;
    k.rank = isParentCaption(caption) ? 0 : caption.startsWith(QLatin1Char('[')) ? 1 : 2;
    k.chars.reserve(caption.size());
    for (const QChar c : caption)
        k.chars.push_back(charKey(c));
    return k;
}

bool keyLess(const SortKey &a, const SortKey &b)
{
    if (a.rank != b.rank)
        return a.rank < b.rank;
    return std::lexicographical_compare(a.chars.begin(), a.chars.end(), b.chars.begin(), b.chars.end());
}

} // namespace

QString DirEntry::caption() const
{
    return isFolder ? QLatin1Char('[') + name + QLatin1Char(']') : name;
}

DirEntry DirEntry::folder(const QString &name, const QString &dateText)
{
    return DirEntry{name, true, QString(kDirSizeText), dateText};
}

DirEntry DirEntry::file(const QString &name, const QString &sizeText, const QString &dateText)
{
    return DirEntry{name, false, sizeText, dateText};
}

DirEntry DirEntry::parent()
{
    return DirEntry{QStringLiteral(".."), true, {}, {}};
}

bool isFolderCaption(QStringView caption)
{
    return caption.size() >= 2 && caption.startsWith(QLatin1Char('[')) && caption.endsWith(QLatin1Char(']'));
}

bool isParentCaption(QStringView caption) { return caption == kParentCaption; }

QString bareName(QStringView caption)
{
    return isFolderCaption(caption) ? caption.sliced(1, caption.size() - 2).toString() : caption.toString();
}

bool isDirSizeText(QStringView sizeText) { return sizeText.mid(2, 5) == QLatin1StringView("<DIR>"); }

bool rowLess(QStringView a, QStringView b) { return keyLess(sortKey(a), sortKey(b)); }

void sortRows(QList<DirEntry> &rows)
{
    std::vector<std::pair<SortKey, DirEntry>> keyed;
    keyed.reserve(rows.size());
    for (DirEntry &row : rows)
        keyed.emplace_back(sortKey(row.caption()), std::move(row));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto &x, const auto &y) { return keyLess(x.first, y.first); });
    rows.clear();
    for (auto &item : keyed)
        rows.append(std::move(item.second));
}

} // namespace vandrel::explorer
