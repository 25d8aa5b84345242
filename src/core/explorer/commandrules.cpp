#include "commandrules.h"

#include "core/brew/paths.h"

namespace vandrel::explorer {

namespace {
bool endsWithCi(QStringView s, QLatin1StringView suffix) { return s.endsWith(suffix, Qt::CaseInsensitive); }
} // namespace

QString jarBesideJad(QStringView caption)
{
    if (!endsWithCi(caption, QLatin1StringView(".jad")))
        return QString();
    QString jar = caption.toString();
    jar[jar.size() - 1] = caption.back().isUpper() ? QLatin1Char('R') : QLatin1Char('r');
    return jar;
}

bool installOffered(QStringView caption, bool jarBeside)
{
    if (endsWithCi(caption, QLatin1StringView(".jar")) || endsWithCi(caption, QLatin1StringView(".sdt")))
        return true;
    return endsWithCi(caption, QLatin1StringView(".jad")) && jarBeside;
}

bool isSingleName(QStringView name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    for (const QChar c : name) {
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f)
            return false;
    }
    return true;
}

QString renameTarget(QStringView answer, bool folder)
{
    QStringView name = answer;
    if (folder && name.size() >= 2 && name.startsWith(u'[') && name.endsWith(u']'))
        name = name.mid(1, name.size() - 2);
    return isSingleName(name) ? name.toString() : QString();
}

BrewUp brewPathUp(QStringView path)
{
    const QString p = path.toString();
    return {brew::brewParentPath(p), brew::brewBaseName(p)};
}

} // namespace vandrel::explorer
