#include "biffwriter.h"

#include "core/text/cp1250.h"

#include <QtEndian>

namespace vandrel::xls {
namespace {

constexpr quint16 kBof = 0x0809;
constexpr quint16 kCodepage = 0x0042;
constexpr quint16 kLabel = 0x0204;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kWindows1250 = 1250;

void word(QByteArray &out, int v)
{
    const quint16 le = qToLittleEndian(quint16(v));
    out.append(reinterpret_cast<const char *>(&le), 2);
}

void record(QByteArray &out, quint16 type, std::initializer_list<int> words, QByteArrayView tail = {})
{
    word(out, type);
    word(out, int(words.size() * 2 + tail.size()));
    for (const int w : words)
        word(out, w);
    out.append(tail);
}

// cp1250 bytes with "?" for every character (a surrogate pair is one) the code page lacks.
QByteArray lossyCp1250(QStringView text)
{
    QByteArray out;
    qsizetype from = 0;
    while (from < text.size()) {
        qsizetype bad = -1;
        const QStringView rest = text.sliced(from);
        if (const auto bytes = text::toCp1250(rest, &bad)) {
            out += *bytes;
            break;
        }
        out += *text::toCp1250(rest.first(bad));
        out += '?';
        from += bad + (rest[bad].isHighSurrogate() && bad + 1 < rest.size() && rest[bad + 1].isLowSurrogate() ? 2 : 1);
    }
    return out;
}

Checked<QByteArray> writeSheet(const QList<QStringList> &rows, SheetLosses *losses)
{
    using R = Checked<QByteArray>;
    if (rows.size() > kMaxRows)
        return R::failure(QStringLiteral("%1 rows do not fit one sheet (at most %2)").arg(rows.size()).arg(kMaxRows));
    QByteArray out;
    record(out, kBof, {0, 0x0010, 0, 0});
    record(out, kCodepage, {kWindows1250});
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (rows[r].size() > kMaxColumns)
            return R::failure(QStringLiteral("row %1 has %2 cells; a sheet has %3 columns").arg(r + 1).arg(rows[r].size()).arg(kMaxColumns));
        for (qsizetype c = 0; c < rows[r].size(); ++c) {
            qsizetype bad = -1;
            auto bytes = text::toCp1250(rows[r][c], &bad);
            if (!bytes && !losses)
                return R::failure(QStringLiteral("row %1, column %2: the character \"%3\" has no place in the Windows-1250 code page")
                                      .arg(r + 1).arg(c + 1).arg(rows[r][c].at(bad)));
            if (!bytes) {
                bytes = lossyCp1250(rows[r][c]);
                ++losses->cellsNotInCodePage;
            }
            if (bytes->size() > kMaxCellBytes && !losses)
                return R::failure(QStringLiteral("row %1, column %2: %3 characters do not fit one cell (at most %4)")
                                      .arg(r + 1).arg(c + 1).arg(bytes->size()).arg(kMaxCellBytes));
            if (bytes->size() > kMaxCellBytes) {
                bytes->truncate(kMaxCellBytes);
                ++losses->cellsCut;
            }
            record(out, kLabel, {int(r), int(c), 0, int(bytes->size())}, *bytes);
        }
    }
    record(out, kEof, {});
    return out;
}

} // namespace

Checked<QByteArray> writeTextSheet(const QList<QStringList> &rows) { return writeSheet(rows, nullptr); }

Checked<QByteArray> writeTextSheetLossy(const QList<QStringList> &rows, SheetLosses *losses)
{
    *losses = {};
    return writeSheet(rows, losses);
}

} // namespace vandrel::xls
