#pragma once
// LoadLanguage: the message table from "LNG/<code>.txt", and every caption that shows it.
#include <link/paths.h>

#include <QKeySequence>
#include <QString>
#include <QStringList>

namespace vandrel::ui {

class MainWindow;

// The first "LNG/<code>.txt" found in `folders`; empty when none exists.
QString languageFilePath(const QString &code, const QStringList &folders);

// Loads the table for `code` (any unknown code loads "EN") into the window and re-captions it;
// the question boxes take their button captions from it. When the file is missing or
// unreadable: the phone pane is disabled, the bilingual error box is shown, and the table
// and captions stay as they were. Returns whether the file was loaded.
bool loadLanguage(MainWindow &window, const QString &code,
                  const QStringList &folders = link::languageFolderCandidates());

// The caption of an explorer button: its command's shortcut (as "F5" or "Ctrl+T"), a blank,
// and the text; just the text when the command has no shortcut.
QString shortcutCaption(const QKeySequence &shortcut, const QString &text);

} // namespace vandrel::ui
