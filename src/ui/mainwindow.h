#pragma once
// The main window: five tabs, the main menu, the status bar, the tray icon, and the
// start-up and closing orders. It owns the phone link, the settings and the message table
// for the whole run.
#include "lifecycle.h"

#include <core/settings/appsettings.h>
#include <core/settings/messagetable.h>
#include <link/phonelink.h>
#include <link/settingsstore.h>

#include <QMainWindow>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QSystemTrayIcon;
class QTabWidget;

namespace vandrel::ui {

using settings::Msg;

class MenuStyle;
class ConnectionController;

struct MainWindowOptions {
    bool demo = false;          // ports point at the virtual phone for this run only
    bool saveSettings = true;   // false: the user's saved settings stay untouched
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    enum Tab { Explorer, Sms, Calendar, AddressBook, Other, TabCount };

    explicit MainWindow(std::unique_ptr<link::PhoneLink> phoneLink, MainWindowOptions options = {},
                        QWidget *parent = nullptr);
    ~MainWindow() override;

    // Runs the creation steps. Features attach to `lifecycle()` before this is called.
    void create();

    link::PhoneLink &phoneLink() { return *m_link; }
    settings::AppSettings &appSettings() { return m_settings; }
    settings::MessageTable &messages() { return m_messages; }
    link::SettingsStore &settingsStore() { return *m_store; }
    Lifecycle &lifecycle() { return m_lifecycle; }
    const MainWindowOptions &options() const { return m_options; }

    QTabWidget *tabs() const { return m_tabs; }
    void setTabContent(Tab tab, QWidget *content);
    QLabel *statusPanel(int i) const;
    void setStatusPanel(int i, const QString &text);
    QAction *action(const QString &objectName) const;
    QMenu *menu(const QString &objectName) const;
    QSystemTrayIcon *trayIcon() const { return m_tray; }
    // Whether the desktop has a tray (tests decide it; an offscreen desktop has none).
    void setTrayAvailability(std::function<bool()> available) { m_trayAvailable = std::move(available); }
    MenuStyle *menuStyle() const { return m_menuStyle.get(); }
    ConnectionController &connection() { return *m_connection; }

    // The text of a message, or the window's built-in Czech caption when the table has none.
    QString message(settings::Msg n, const QString &builtIn = {}) const;
    // Sets every caption this window shows from the message table; captionsChanged() lets
    // the tabs and panes set theirs.
    void applyCaptions();

    QString versionText() const;

signals:
    // The connection was reset by the fatal link error: panes showing the phone empty.
    void linkReset();
    // The message table changed (a language was loaded): re-caption from messages().
    void captionsChanged();
    // The settings window was closed with OK and its values are in appSettings().
    void settingsApplied();
    // The groups were read again and "grp.vdl" rewritten: the side list's new lines.
    void groupSideListChanged(const QStringList &lines);

public slots:
    void showAbout();
    void showHelp();
    void restoreFromTray();
    void quitFromTray();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildMenus();
    void buildTabs();
    void buildStatusBar();
    void buildTray();
    void attachOwnSteps();
    void onFatalError(const QString &text);
    void afterShown();

    std::unique_ptr<link::PhoneLink> m_link;
    MainWindowOptions m_options;
    settings::AppSettings m_settings;
    settings::MessageTable m_messages;
    std::unique_ptr<link::SettingsStore> m_store;
    Lifecycle m_lifecycle;
    std::unique_ptr<MenuStyle> m_menuStyle;

    QTabWidget *m_tabs = nullptr;
    ConnectionController *m_connection = nullptr;
    QList<QLabel *> m_panels;
    QSystemTrayIcon *m_tray = nullptr;
    QMenu *m_trayMenu = nullptr;
    bool m_shownOnce = false;
    std::function<bool()> m_trayAvailable;
    bool m_closed = false;
    bool m_destroying = false;
};

} // namespace vandrel::ui
