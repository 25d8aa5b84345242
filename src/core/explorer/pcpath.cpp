#include "pcpath.h"

#include "direntry.h"

namespace vandrel::explorer {
namespace {

bool isSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

bool isDriveRoot(QStringView path)
{
    return path.size() == 3 && path[0].isLetter() && path[1] == QLatin1Char(':') && isSeparator(path[2]);
}

// The path without separators at its end, keeping a root whole.
QStringView trimmed(QStringView path)
{
    while (path.size() > 1 && isSeparator(path.back()) && !isDriveRoot(path))
        path.chop(1);
    return path;
}

} // namespace

bool isPcRoot(QStringView path) { return (path.size() == 1 && isSeparator(path[0])) || isDriveRoot(path); }

QString withTrailingSeparator(QStringView path)
{
    if (!path.isEmpty() && isSeparator(path.back()))
        return path.toString();
    // A bare drive ("c:") means its root.
    return path.toString() + QLatin1Char('/');
}

PcTarget resolvePcPath(QStringView path)
{
    const bool goesUp = path.size() >= 3 && path.endsWith(u"..") && isSeparator(path[path.size() - 3]);
    if (!goesUp)
        return {withTrailingSeparator(path), {}};
    const QStringView before = path.first(path.size() - 3); // without the separator and ".."
    qsizetype cut = before.size() - 1;
    while (cut >= 0 && !isSeparator(before[cut]))
        --cut;
    if (cut < 0) {
        // Nothing above: the parent of a root ("/.." or "c:/..") is the root.
        return {before.isEmpty() ? QStringLiteral("/") : withTrailingSeparator(before), {}};
    }
    const QString left = before.sliced(cut + 1).toString();
    QStringView folder = before.first(cut);
    if (folder.isEmpty() || (folder.size() == 2 && folder[1] == QLatin1Char(':')))
        folder = before.first(cut + 1); // keep the root's own separator
    return {withTrailingSeparator(folder), left};
}

QString lastName(QStringView path)
{
    const QStringView t = trimmed(path);
    qsizetype i = t.size() - 1;
    while (i >= 0 && !isSeparator(t[i]))
        --i;
    return t.sliced(i + 1).toString();
}

QString folderOf(QStringView path)
{
    const QStringView t = trimmed(path);
    qsizetype i = t.size() - 1;
    while (i >= 0 && !isSeparator(t[i]))
        --i;
    return i < 0 ? QString() : t.first(i + 1).toString();
}

QStringList droppedCaptions(const QList<DroppedPath> &dropped)
{
    QStringList out;
    out.reserve(dropped.size());
    for (const DroppedPath &d : dropped) {
        const QString name = lastName(d.path);
        out << (d.isFolder ? DirEntry::folder(name).caption() : name);
    }
    return out;
}

QString obexPathBar(const QStringList &names)
{
    QString bar;
    for (const QString &n : names)
        bar += n + QLatin1Char('\\');
    return bar;
}

} // namespace vandrel::explorer
