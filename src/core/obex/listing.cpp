#include "listing.h"

#include "core/text/cp1250.h"
#include "core/text/format.h"

#include <QStringConverter>
#include <QXmlStreamReader>

namespace vandrel::obex {
namespace {

using explorer::DirEntry;

struct Collected {
    QList<DirEntry> folders;
    QList<DirEntry> files;
};

bool allDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (const QChar c : s)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

// One <folder> or <file> element by its attribute values; names that cannot be a row are left out.
void addEntry(Collected &out, bool isFolder, const QString &name, const QString &size, const QString &modified)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return;
    const QString date = text::dateTextFromStamp(modified).value_or(QString());
    if (isFolder)
        out.folders.append(DirEntry::folder(name, date));
    else
        out.files.append(DirEntry::file(name, allDigits(size) ? size : QString(), date));
}

std::optional<Collected> parseStrict(const QString &text)
{
    QXmlStreamReader xml(text);
    Collected out;
    bool sawListing = false;
    bool closedListing = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            const QStringView element = xml.name();
            if (element == QLatin1String("folder-listing")) {
                sawListing = true;
            } else if (element == QLatin1String("folder") || element == QLatin1String("file")) {
                const auto attrs = xml.attributes();
                addEntry(out, element == QLatin1String("folder"), attrs.value(QLatin1String("name")).toString(),
                         attrs.value(QLatin1String("size")).toString(),
                         attrs.value(QLatin1String("modified")).toString());
            }
        } else if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("folder-listing")) {
            closedListing = true;
            break;  // what follows the closing tag (NUL padding, say) is no part of the listing
        }
    }
    if (!sawListing || !closedListing)
        return std::nullopt;
    return out;
}

// Entities a phone writes, plus numeric references; an "&" that starts none stays as it is.
QString decodeEntities(QStringView raw)
{
    static const struct {
        QLatin1StringView entity;
        QChar ch;
    } named[] = {{QLatin1StringView("&amp;"), QLatin1Char('&')},   {QLatin1StringView("&lt;"), QLatin1Char('<')},
                 {QLatin1StringView("&gt;"), QLatin1Char('>')},    {QLatin1StringView("&quot;"), QLatin1Char('"')},
                 {QLatin1StringView("&apos;"), QLatin1Char('\'')}};
    QString out;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        if (raw.at(i) != QLatin1Char('&')) {
            out.append(raw.at(i));
            continue;
        }
        bool done = false;
        for (const auto &n : named) {
            if (raw.sliced(i).startsWith(n.entity)) {
                out.append(n.ch);
                i += n.entity.size() - 1;
                done = true;
                break;
            }
        }
        if (!done && raw.sliced(i).startsWith(QLatin1String("&#"))) {
            const qsizetype semi = raw.indexOf(QLatin1Char(';'), i);
            if (semi > i + 2 && semi - i <= 10) {
                const QStringView digits = raw.sliced(i + 2, semi - i - 2);
                bool ok = false;
                const uint code = digits.startsWith(QLatin1Char('x')) ? digits.sliced(1).toUInt(&ok, 16)
                                                                       : digits.toUInt(&ok, 10);
                if (ok && code > 0 && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF)) {
                    const char32_t c32 = code;
                    out.append(QString::fromUcs4(&c32, 1));
                    i = semi;
                    done = true;
                }
            }
        }
        if (!done)
            out.append(raw.at(i));
    }
    return out;
}

// The value of attribute `name` inside one tag's text, or nothing.
std::optional<QString> attribute(QStringView tag, QLatin1StringView name)
{
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = tag.indexOf(name, from);
        if (at < 0)
            return std::nullopt;
        from = at + name.size();
        const bool startsWord = at > 0 && tag.at(at - 1).isSpace();
        qsizetype p = from;
        while (p < tag.size() && tag.at(p).isSpace())
            ++p;
        if (!startsWord || p >= tag.size() || tag.at(p) != QLatin1Char('='))
            continue;
        ++p;
        while (p < tag.size() && tag.at(p).isSpace())
            ++p;
        if (p >= tag.size() || (tag.at(p) != QLatin1Char('"') && tag.at(p) != QLatin1Char('\'')))
            continue;
        const QChar quote = tag.at(p);
        const qsizetype end = tag.indexOf(quote, p + 1);
        if (end < 0)
            return std::nullopt;
        return decodeEntities(tag.sliced(p + 1, end - p - 1));
    }
}

// Tag by tag: every "<folder " and "<file " up to its ">" outside quotes.
Collected parseLenient(const QString &text)
{
    Collected out;
    qsizetype at = 0;
    while ((at = text.indexOf(QLatin1Char('<'), at)) >= 0) {
        const QStringView rest = QStringView(text).sliced(at + 1);
        const bool isFolder = rest.startsWith(QLatin1String("folder")) && rest.size() > 6 && rest.at(6).isSpace();
        const bool isFile = rest.startsWith(QLatin1String("file")) && rest.size() > 4 && rest.at(4).isSpace();
        if (!isFolder && !isFile) {
            ++at;
            continue;
        }
        qsizetype end = at + 1;
        QChar quote;
        for (; end < text.size(); ++end) {
            const QChar c = text.at(end);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                quote = c;
            } else if (c == QLatin1Char('>')) {
                break;
            }
        }
        const QStringView tag = QStringView(text).sliced(at, end - at);
        addEntry(out, isFolder, attribute(tag, QLatin1StringView("name")).value_or(QString()),
                 attribute(tag, QLatin1StringView("size")).value_or(QString()),
                 attribute(tag, QLatin1StringView("modified")).value_or(QString()));
        at = end;
    }
    return out;
}

QString decodeText(QByteArrayView bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = text::fromCp1250(bytes);
    return text;
}

} // namespace

Checked<FolderListing> parseFolderListing(QByteArrayView xml)
{
    QByteArrayView bytes = xml;
    // NUL padding after the closing tag is common; it is no text.
    while (!bytes.isEmpty() && bytes.back() == '\0')
        bytes.chop(1);
    const QString text = decodeText(bytes);
    FolderListing listing;
    std::optional<Collected> collected = parseStrict(text);
    if (!collected) {
        if (!text.contains(QLatin1String("folder-listing")))
            return Checked<FolderListing>::failure(QStringLiteral("the phone sent no folder listing"));
        collected = parseLenient(text);
        listing.lenient = true;
    }
    listing.entries = collected->folders + collected->files;
    return listing;
}

} // namespace vandrel::obex
