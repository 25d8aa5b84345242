#include "desktopentry.h"

#include <optional>

namespace vandrel::explorer {

namespace {

// The value escapes of the file format: \s \n \t \r \\ (an unknown escape is kept as it is).
QString unescapeValue(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c != QLatin1Char('\\') || i + 1 == value.size()) {
            out += c;
            continue;
        }
        const QChar next = value[++i];
        switch (next.unicode()) {
        case 's': out += QLatin1Char(' '); break;
        case 'n': out += QLatin1Char('\n'); break;
        case 't': out += QLatin1Char('\t'); break;
        case 'r': out += QLatin1Char('\r'); break;
        case '\\': out += QLatin1Char('\\'); break;
        default: out += c; out += next; break;
        }
    }
    return out;
}

bool isTrue(QStringView value) { return value.trimmed() == QLatin1String("true"); }

// Splits the Exec line into arguments; nothing when a quote is left open.
std::optional<QStringList> splitExec(QStringView exec)
{
    QStringList args;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
            } else if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                current += exec[++i];
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            inArgument = true;
        } else if (c == QLatin1Char(' ') || c == QLatin1Char('\t')) {
            if (inArgument)
                args << current;
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        args << current;
    return args;
}

bool isFileCode(QChar code)
{
    return code == QLatin1Char('f') || code == QLatin1Char('F') || code == QLatin1Char('u') || code == QLatin1Char('U');
}

} // namespace

DesktopEntry parseDesktopEntry(QByteArrayView contents)
{
    DesktopEntry entry;
    bool inMainGroup = false;
    const QString textContents = QString::fromUtf8(contents);
    for (QStringView line : QStringView(textContents).split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inMainGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!inMainGroup || eq < 0)
            continue;
        const QStringView key = line.left(eq).trimmed();
        const QStringView value = line.sliced(eq + 1).trimmed();
        if (key == QLatin1String("Exec"))
            entry.exec = unescapeValue(value);
        else if (key == QLatin1String("Terminal"))
            entry.terminal = isTrue(value);
        else if (key == QLatin1String("Hidden"))
            entry.hidden = isTrue(value);
    }
    return entry;
}

QStringList desktopExecCommand(const QString &exec, const QString &file)
{
    const std::optional<QStringList> args = splitExec(exec);
    if (!args || args->isEmpty())
        return {};
    QStringList command;
    bool fileGiven = false;
    for (const QString &arg : *args) {
        // A field code standing alone is one argument: the file, or nothing.
        if (arg.size() == 2 && arg[0] == QLatin1Char('%') && arg[1] != QLatin1Char('%')) {
            if (isFileCode(arg[1]) && !fileGiven) {
                command << file;
                fileGiven = true;
            }
            continue;
        }
        QString expanded;
        for (qsizetype i = 0; i < arg.size(); ++i) {
            if (arg[i] != QLatin1Char('%') || i + 1 == arg.size()) {
                expanded += arg[i];
                continue;
            }
            const QChar code = arg[++i];
            if (code == QLatin1Char('%')) {
                expanded += code;
            } else if (isFileCode(code) && !fileGiven) {
                expanded += file;
                fileGiven = true;
            }
        }
        command << expanded;
    }
    if (command.isEmpty() || command.first().isEmpty())
        return {};
    if (!fileGiven)
        command << file;
    return command;
}

} // namespace vandrel::explorer
