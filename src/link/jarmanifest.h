#pragma once
// The manifest of a JAR ("META-INF/MANIFEST.MF"), read with libzip.
#include "result.h"

#include <QByteArray>
#include <QString>

namespace vandrel::link {

enum class ManifestProblem { None, NotFound, NotAnArchive };

struct JarManifest {
    ManifestProblem problem = ManifestProblem::None;
    QByteArray bytes;     // the member's bytes, unchanged
    QString detail;       // what libzip said, for NotAnArchive
};

JarManifest readJarManifest(const QString &jarPath);

} // namespace vandrel::link
