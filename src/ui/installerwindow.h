#pragma once
// "Vandrel Java Installer" / "Vandrel Theme Installer" (objectName TForm9): a JAR with its JAD, or a theme,
// onto the phone over the BREW session, then the restart question. One install at a time;
// closing the window cancels the one running.
#include <core/settings/messageids.h>
#include <link/installsession.h>

#include <QCoroTask>
#include <QDialog>

class QLabel;
class QPushButton;
class QRadioButton;
class QProgressBar;
class QGroupBox;

namespace vandrel::ui {

class MainWindow;

class InstallerWindow : public QDialog {
    Q_OBJECT
public:
    // A theme when `themePath` is given, else the JAR and its JAD.
    InstallerWindow(MainWindow &window, QString jarPath, QString jadPath, QString themePath);
    ~InstallerWindow() override;

    bool running() const { return m_running; }
    QCoro::Task<void> createJad();
    QCoro::Task<void> startInstall();

signals:
    void installEnded(const link::Outcome &outcome);

protected:
    void done(int result) override;

private:
    void updateState();
    QString words(settings::Msg m, const QString &builtIn) const;

    MainWindow &m_window;
    const QString m_jarPath;
    const QString m_jadPath;
    const QString m_themePath;
    link::BrewSession *m_session;
    link::InstallSession *m_installer;
    QLabel *m_jadLabel;
    QLabel *m_jarLabel;
    QLabel *m_status;
    QGroupBox *m_kinds;
    QRadioButton *m_game;
    QRadioButton *m_app;
    QPushButton *m_create;
    QPushButton *m_install;
    QPushButton *m_close;
    QProgressBar *m_progress;
    bool m_running = false;
};

} // namespace vandrel::ui
