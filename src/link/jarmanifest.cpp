#include "jarmanifest.h"

#include <QFile>

#include <zip.h>

#include <memory>

namespace vandrel::link {

JarManifest readJarManifest(const QString &jarPath)
{
    JarManifest out;
    int error = 0;
    const QByteArray path = QFile::encodeName(jarPath);
    std::unique_ptr<zip_t, int (*)(zip_t *)> archive(zip_open(path.constData(), ZIP_RDONLY, &error), zip_close);
    if (!archive) {
        zip_error_t e;
        zip_error_init_with_code(&e, error);
        out.problem = ManifestProblem::NotAnArchive;
        out.detail = QString::fromUtf8(zip_error_strerror(&e));
        zip_error_fini(&e);
        return out;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat(archive.get(), "META-INF/MANIFEST.MF", 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) {
        out.problem = ManifestProblem::NotFound;
        return out;
    }
    std::unique_ptr<zip_file_t, int (*)(zip_file_t *)> member(zip_fopen(archive.get(), "META-INF/MANIFEST.MF", 0),
                                                              zip_fclose);
    // A manifest is a few kilobytes; anything claiming more is not one.
    constexpr zip_uint64_t kLimit = 16 * 1024 * 1024;
    if (!member || stat.size > kLimit) {
        out.problem = ManifestProblem::NotAnArchive;
        out.detail = QString::fromUtf8(zip_strerror(archive.get()));
        return out;
    }
    out.bytes.resize(qsizetype(stat.size));
    const zip_int64_t n = zip_fread(member.get(), out.bytes.data(), stat.size);
    if (n != zip_int64_t(stat.size)) {
        out.problem = ManifestProblem::NotAnArchive;
        out.detail = QString::fromUtf8(zip_file_strerror(member.get()));
        out.bytes.clear();
    }
    return out;
}

} // namespace vandrel::link
