#pragma once
// JAR files made in the tests with libzip.
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <zip.h>

namespace jarfile {

// A JAR of exactly `size` bytes (the archive comment fills it up), with a manifest or not.
inline bool makeJar(const QString &path, qint64 size, const QByteArray &manifest, const QByteArray &classBytes)
{
    int error = 0;
    zip_t *z = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!z)
        return false;
    const auto add = [z](const char *name, const QByteArray &data) {
        zip_source_t *s = zip_source_buffer(z, data.constData(), zip_uint64_t(data.size()), 0);
        const zip_int64_t i = zip_file_add(z, name, s, ZIP_FL_OVERWRITE);
        return i >= 0 && zip_set_file_compression(z, zip_uint64_t(i), ZIP_CM_STORE, 0) == 0;
    };
    bool ok = (manifest.isEmpty() || add("META-INF/MANIFEST.MF", manifest)) && add("Main.class", classBytes);
    ok = zip_close(z) == 0 && ok;
    const qint64 bare = QFileInfo(path).size();
    if (!ok || bare > size)
        return false;
    z = zip_open(QFile::encodeName(path).constData(), 0, &error);
    const QByteArray comment(int(size - bare), 'c');
    ok = z && zip_set_archive_comment(z, comment.constData(), zip_uint16_t(comment.size())) == 0;
    return z && zip_close(z) == 0 && ok && QFileInfo(path).size() == size;
}

} // namespace jarfile
