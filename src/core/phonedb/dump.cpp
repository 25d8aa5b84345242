#include "dump.h"

#include "core/diag/frame.h"

namespace vandrel::phonedb {

QByteArray unescapeDump(QByteArrayView dump)
{
    return diag::UnescapeDiagFrame(dump);
}

QString unescapedDumpPath(const QString &dumpPath, const std::function<bool(const QString &)> &exists)
{
    const qsizetype slash = qMax(dumpPath.lastIndexOf(u'/'), dumpPath.lastIndexOf(u'\\'));
    const qsizetype dot = dumpPath.lastIndexOf(u'.');
    // A dot that starts the file name is no suffix.
    const qsizetype cut = dot > slash + 1 ? dot : dumpPath.size();
    const QString stem = dumpPath.left(cut) + QStringLiteral("-unescaped");
    const QString suffix = dumpPath.mid(cut);
    for (int n = 1; n <= 1000; ++n) {
        const QString candidate = n == 1 ? stem + suffix : stem + u'-' + QString::number(n) + suffix;
        if (!exists(candidate))
            return candidate;
    }
    return {};
}

} // namespace vandrel::phonedb
