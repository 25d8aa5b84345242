#include "shortcuts.h"

#include "messagetable.h"

namespace vandrel::settings {

const QStringList &shortcutActionNames()
{
    static const QStringList names{QStringLiteral("pKopirovat"),   QStringLiteral("Editovat1"),
                                   QStringLiteral("pAktualizovat"), QStringLiteral("pPrejmenovat"),
                                   QStringLiteral("pNovyadresar"),  QStringLiteral("pSmazat"),
                                   QStringLiteral("Instalovat1")};
    return names;
}

const QStringList &builtInShortcuts()
{
    static const QStringList keys{QStringLiteral("Ctrl+T"), QStringLiteral("F4"), QStringLiteral("F5"),
                                  QStringLiteral("F6"),     QStringLiteral("F7"), QStringLiteral("F8"),
                                  QStringLiteral("Ctrl+I")};
    return keys;
}

QStringList parseShortcutFile(const QByteArray &contents)
{
    const QStringList lines = textFileLines(contents);
    QStringList keys;
    for (int i = 0; i < ShortcutCount; ++i)
        keys << (i < lines.size() ? lines.at(i).trimmed() : QString());
    return keys;
}

QByteArray shortcutFileContents(const QStringList &keyNames)
{
    QByteArray out;
    for (int i = 0; i < ShortcutCount; ++i) {
        // Key names are plain ASCII; anything else could not be read back as a key anyway.
        const QString name = keyNames.value(i).trimmed();
        out += name.toLatin1();
        out += "\r\n";
    }
    return out;
}

} // namespace vandrel::settings
