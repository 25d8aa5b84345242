#include "sidelines.h"

#include "core/text/cp1250.h"

#include <QStringDecoder>

namespace vandrel::phonebook {
namespace {
constexpr QByteArrayView kUtf8Bom("\xEF\xBB\xBF");
}

QByteArray writeSideLines(const QStringList &lines)
{
    QString all;
    for (const QString &l : lines)
        all += l + QStringLiteral("\r\n");
    QByteArray bytes = all.toUtf8();
    // The reader drops one leading BOM, so a first line that begins with U+FEFF needs one in front.
    if (all.startsWith(QChar(0xFEFF)))
        bytes.prepend(kUtf8Bom);
    return bytes;
}

QStringList readSideLines(QByteArrayView file)
{
    if (file.startsWith(kUtf8Bom))
        file = file.sliced(kUtf8Bom.size());
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString all = utf8.decode(file);
    if (utf8.hasError())
        all = text::fromCp1250(file);
    QStringList lines = all.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString &l : lines)
        if (l.endsWith(u'\r'))
            l.chop(1);
    return lines;
}

} // namespace vandrel::phonebook
