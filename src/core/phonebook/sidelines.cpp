#include "sidelines.h"

#include "core/text/cp1250.h"

#include <QStringDecoder>

namespace vandrel::phonebook {

QByteArray writeSideLines(const QStringList &lines)
{
    QString all;
    for (const QString &l : lines)
        all += l + QStringLiteral("\r\n");
    if (const auto bytes = text::toCp1250(all))
        return *bytes;
    return all.toUtf8();
}

QStringList readSideLines(QByteArrayView file)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
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
