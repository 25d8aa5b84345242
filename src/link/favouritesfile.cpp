#include "favouritesfile.h"

#include <QFile>
#include <QSaveFile>

namespace vandrel::link {

QList<explorer::Favourite> readFavouritesFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return explorer::decodeFavourites(file.readAll());
}

bool writeFavouritesFile(const QString &path, const QList<explorer::Favourite> &favourites)
{
    const auto contents = explorer::encodeFavourites(favourites);
    if (!contents)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(*contents) != contents->size())
        return false;
    return file.commit();
}

} // namespace vandrel::link
