#pragma once
// The settings window TSetForm (ShowSettings), what its OK applies, and LoadShortcuts.
#include <core/settings/appsettings.h>
#include <core/settings/messageids.h>
#include <link/recordingchannel.h>

#include <QDialog>
#include <QKeySequence>
#include <QList>

class QCheckBox;
class QComboBox;
class QKeySequenceEdit;
class QLineEdit;
class QStackedWidget;
class QTreeWidget;

namespace vandrel::ui {

class MainWindow;

// What the window hands back when closed with OK.
struct SettingsChoice {
    settings::AppSettings values;
    QList<QKeySequence> shortcuts; // seven, in the order of "short.vdl"
};

class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    explicit SettingsWindow(MainWindow &main);

    SettingsChoice choice() const;
    // The traffic transcript box: kept beside the other settings, applied to the link at once.
    link::TranscriptSetting transcriptChoice() const;

    // Whether an answer of the "..." input box is a port name to add: on Windows a name with
    // "COM" of at most six characters other than "COM" itself; elsewhere any device name or
    // path other than the untouched initial text.
    static bool acceptPortName(const QString &name, bool windowsRule);
    static QString initialPortText(bool windowsRule);

private:
    QWidget *buildConnectionPage();
    QWidget *buildShortcutsPage();
    QWidget *buildSmsPage();
    QWidget *buildExplorerPage();
    QWidget *buildOtherPage();
    void askForPortName(QComboBox *list);
    void pickEditor();
    QString text(settings::Msg n, const char *builtIn) const;

    MainWindow &m_main;
    settings::AppSettings m_start;
    QTreeWidget *m_tree = nullptr;
    QStackedWidget *m_pages = nullptr;
    QComboBox *m_port = nullptr;
    QComboBox *m_speed = nullptr;
    QComboBox *m_port2 = nullptr;
    QComboBox *m_speed2 = nullptr;
    QList<QKeySequenceEdit *> m_hotKeys;
    QCheckBox *m_readSms = nullptr;
    QCheckBox *m_readStatus = nullptr;
    QLineEdit *m_editor = nullptr;
    QCheckBox *m_brewDirWarning = nullptr;
    QCheckBox *m_icons = nullptr;
    QComboBox *m_language = nullptr;
    QCheckBox *m_minimise = nullptr;
    QCheckBox *m_log = nullptr;
    QCheckBox *m_oneFile = nullptr;
    QCheckBox *m_transcript = nullptr;
    QLineEdit *m_transcriptFile = nullptr;
    QComboBox *m_timeZone = nullptr;
};

// ShowSettings: opens the window modally without a nested event loop; OK applies the choice.
SettingsWindow *showSettings(MainWindow &window);

// The settings after OK: the modem port's name and speed change only while it is closed (its
// controls are disabled while it is open); everything else shown in the window is taken over.
settings::AppSettings takeOverSettings(const settings::AppSettings &current, const settings::AppSettings &chosen,
                                       bool modemPortOpen);

// What OK does in the main window: the shortcuts on the menu items and in "short.vdl", the
// values taken over, port names and speeds on the ports that are closed, the language
// reloaded, and the values written to the settings store.
void applySettings(MainWindow &window, const SettingsChoice &choice);

// LoadShortcuts: "short.vdl" onto the explorer's seven menu items; without the file the
// built-in shortcuts stay.
void loadShortcuts(MainWindow &window);

// A key name as "F5" or "Ctrl+T"; an empty sequence for anything that is not one key.
QKeySequence keySequenceFromName(const QString &name);

} // namespace vandrel::ui
