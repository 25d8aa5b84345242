#pragma once
// The favourite-folder files in the data folder: read whole, written atomically.
#include <core/explorer/favourites.h>

#include <QList>
#include <QString>

namespace vandrel::link {

// Every whole record of the file; a missing or unreadable file gives none.
QList<explorer::Favourite> readFavouritesFile(const QString &path);
// Replaces the file with the records, or leaves it as it was: false when a record cannot be
// stored or the file cannot be written.
bool writeFavouritesFile(const QString &path, const QList<explorer::Favourite> &favourites);

} // namespace vandrel::link
