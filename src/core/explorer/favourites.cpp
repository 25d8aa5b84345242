#include "favourites.h"

#include "core/text/cp1250.h"

namespace vandrel::explorer {
namespace {

void appendField(QByteArray &out, const QByteArray &bytes, qsizetype width)
{
    out.append(char(bytes.size()));
    out.append(bytes);
    out.append(width - bytes.size(), '\0');
}

QString readField(QByteArrayView record, qsizetype at, qsizetype width)
{
    const qsizetype length = qMin<qsizetype>(quint8(record[at]), width);
    return text::fromCp1250(record.sliced(at + 1, length));
}

} // namespace

Checked<QByteArray> encodeFavourite(const Favourite &favourite)
{
    const auto name = text::toCp1250(QStringView(favourite.name).left(kFavouriteNameBytes));
    if (!name)
        return Checked<QByteArray>::failure(
            QStringLiteral("the favourite name \"%1\" holds characters a favourites file cannot store").arg(favourite.name));
    const auto path = text::toCp1250(favourite.path);
    if (!path)
        return Checked<QByteArray>::failure(
            QStringLiteral("the folder \"%1\" holds characters a favourites file cannot store").arg(favourite.path));
    if (path->size() > kFavouritePathBytes)
        return Checked<QByteArray>::failure(
            QStringLiteral("the folder \"%1\" is longer than %2 characters").arg(favourite.path).arg(kFavouritePathBytes));
    QByteArray record;
    record.reserve(kFavouriteRecordSize);
    appendField(record, *name, kFavouriteNameBytes);
    appendField(record, *path, kFavouritePathBytes);
    return record;
}

Checked<QByteArray> encodeFavourites(const QList<Favourite> &favourites)
{
    QByteArray file;
    for (const Favourite &f : favourites) {
        const auto record = encodeFavourite(f);
        if (!record)
            return record;
        file.append(*record);
    }
    return file;
}

QList<Favourite> decodeFavourites(QByteArrayView file)
{
    QList<Favourite> out;
    for (qsizetype at = 0; at + kFavouriteRecordSize <= file.size(); at += kFavouriteRecordSize) {
        const QByteArrayView record = file.sliced(at, kFavouriteRecordSize);
        out.append({readField(record, 0, kFavouriteNameBytes), readField(record, 1 + kFavouriteNameBytes, kFavouritePathBytes)});
    }
    return out;
}

QStringList obexNamesFromFavourite(const QString &path)
{
    QStringList pieces = path.split(QLatin1Char('\\'));
    pieces.removeLast(); // the text after the last backslash (all of it when there is none)
    pieces.removeAll(QString());
    return pieces;
}

} // namespace vandrel::explorer
