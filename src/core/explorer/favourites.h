#pragma once
// Favourite folders: the 307-byte records of "PCdirs.vdl", "MOdirs.vdl" and "Bdirs.vdl".
#include "core/diag/checked.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace vandrel::explorer {

constexpr qsizetype kFavouriteRecordSize = 307;
constexpr qsizetype kFavouriteNameBytes = 50;
constexpr qsizetype kFavouritePathBytes = 255;

struct Favourite {
    QString name;
    QString path;
    friend bool operator==(const Favourite &, const Favourite &) = default;
};

// One record: the name cut to 50 cp1250 bytes; a path cp1250 cannot carry, or longer than 255
// bytes, is refused (a cut path would lead to another folder). A name cp1250 cannot carry is refused.
Checked<QByteArray> encodeFavourite(const Favourite &favourite);
// A whole file: the records one after another; the first refused record refuses the file.
Checked<QByteArray> encodeFavourites(const QList<Favourite> &favourites);
// Every whole record of a file (size / 307 of them); a length byte beyond its field is clamped.
QList<Favourite> decodeFavourites(QByteArrayView file);

// An OBEX folder is stored as the phone path bar shows it (obexPathBar, "mmc\photos\").
// Back to the names: every piece ending in "\" is one name, in order; text after the last
// "\" is ignored. Empty pieces ("mmc\\") are dropped: no folder has an empty name.
QStringList obexNamesFromFavourite(const QString &path);

} // namespace vandrel::explorer
