#include "picturefile.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSaveFile>

namespace vandrel::picture {

QString savePicture(const QString &path, const QByteArray &bitmap)
{
    const QString shown = QDir::toNativeSeparators(path);
    const bool png = QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
    QImage image;
    if (png && !image.loadFromData(bitmap, "BMP"))
        return QStringLiteral("The phone's picture is not a bitmap this program can read.");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot write %1: %2").arg(shown, file.errorString());
    const bool written = png ? image.save(&file, "PNG") : file.write(bitmap) == bitmap.size();
    if (!written || !file.commit())
        return QStringLiteral("Cannot write %1: %2").arg(shown, file.errorString());
    return {};
}

} // namespace vandrel::picture
