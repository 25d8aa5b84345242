#include "messagetable.h"

#include "core/text/cp1250.h"

#include <QStringDecoder>

namespace vandrel::settings {

void MessageTable::loadLines(const QStringList &lines)
{
    clear();
    for (int i = 0; i < Count && i < lines.size(); ++i)
        m_texts[std::size_t(i)] = lines.at(i);
}

void MessageTable::loadFileContents(const QByteArray &contents)
{
    loadLines(textFileLines(contents));
}

QStringList textFileLines(const QByteArray &contents)
{
    QByteArray bytes = contents;
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = text::fromCp1250(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty() && text.endsWith(QLatin1Char('\n')))
        lines.removeLast();
    return lines;
}

const QStringList &languageCodes()
{
    static const QStringList codes{QStringLiteral("CZ"), QStringLiteral("EN"), QStringLiteral("DE"),
                                   QStringLiteral("RU")};
    return codes;
}

QString effectiveLanguageCode(const QString &code)
{
    return languageCodes().contains(code) ? code : QStringLiteral("EN");
}

} // namespace vandrel::settings
