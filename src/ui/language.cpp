#include "language.h"

#include "mainwindow.h"
#include "messagebox.h"
#include "questionbox.h"

#include <core/settings/messagetable.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace vandrel::ui {

QString languageFilePath(const QString &code, const QStringList &folders)
{
    const QString relative = QStringLiteral("LNG/") + code + QStringLiteral(".txt");
    for (const QString &folder : folders) {
        const QString path = QDir(folder).filePath(relative);
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

namespace {

void setPhonePaneEnabled(MainWindow &window, bool enabled)
{
    for (QWidget *w : window.findChildren<QWidget *>(QStringLiteral("ListMO")))
        w->setEnabled(enabled);
}

} // namespace

bool loadLanguage(MainWindow &window, const QString &code, const QStringList &folders)
{
    const QString path = languageFilePath(settings::effectiveLanguageCode(code), folders);
    QFile file(path);
    bool ok = !path.isEmpty() && file.open(QIODevice::ReadOnly);
    QByteArray contents;
    if (ok) {
        contents = file.readAll();
        ok = file.error() == QFileDevice::NoError;
    }
    if (!ok) {
        setPhonePaneEnabled(window, false);
        showError(&window, QStringLiteral("Nebyl nalezen soubor s jazykovou sadou! Ujistěte se, že je uložen v "
                                          "podadresáři \"LNG\"\nFile with language set was not found! Make sure it "
                                          "is placed in \"LNG\" subdirectory"));
        return false;
    }
    window.messages().loadFileContents(contents);
    setPhonePaneEnabled(window, true);
    const settings::MessageTable &m = window.messages();
    setQuestionCaptions({m.text(Msg::ButtonYes), m.text(Msg::ButtonYesToAll), m.text(Msg::ButtonNo), m.text(Msg::ButtonNoToAll),
                         m.text(Msg::ButtonCancel)});
    window.applyCaptions();
    return true;
}

QString shortcutCaption(const QKeySequence &shortcut, const QString &text)
{
    const QString key = shortcut.toString(QKeySequence::PortableText);
    return key.isEmpty() ? text : key + QLatin1Char(' ') + text;
}

} // namespace vandrel::ui
