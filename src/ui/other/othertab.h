#pragma once
// The "Ostatní" tab: contact groups, e-mail accounts and data connection profiles read from a
// folder of copied database files, edited in memory, accounts written back to a folder; and
// the tool that un-escapes a captured diagnostic dump.
#include <core/phonedb/folder.h>
#include <core/settings/messageids.h>

#include <QCoroTask>
#include <QWidget>
#include <functional>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace vandrel::ui {

class MainWindow;

class OtherTab : public QWidget {
    Q_OBJECT
public:
    explicit OtherTab(MainWindow &window);

    const QList<phonedb::AccountRecord> &accounts() const { return m_accounts; }
    const QList<phonedb::GProfil> &profiles() const { return m_profiles; }

public slots:
    // Button30: the folder chooser, then loadFolder.
    void load();
    // Empties both tables, then reads the kinds checked in "Filtr" from `folder`.
    void loadFolder(const QString &folder);
    // Button31: the folder chooser, then writeAccountsTo.
    void writeAccounts();
    void writeAccountsTo(const QString &folder);
    // Button11, Button12: the controls into the selected account or profile.
    void storeAccount();
    void storeProfile();
    // Button23, Button33.
    void addAccount();
    void addProfile();
    // Button13.
    void unescapeDump();

signals:
    // A write of the accounts ended (written, refused or declined).
    void accountsWritten(bool ok);

private:
    void build();
    QWidget *buildEmailBox();
    QWidget *buildProfileBox();
    void applyCaptions();
    void caption(std::function<void(const QString &)> set, settings::Msg m, const char *builtIn);
    void showAccount(int index);
    void showProfile(int index);
    phonedb::TEmail accountFromControls() const;
    QCoro::Task<void> runWrite(QString folder);
    QCoro::Task<void> runAdd(bool account);
    QString message(settings::Msg n, const char *builtIn) const;

    MainWindow &m_window;
    QList<phonedb::AccountRecord> m_accounts;
    QList<phonedb::GProfil> m_profiles;
    QList<std::function<void()>> m_captions;
    QCheckBox *m_groupsBox = nullptr, *m_profilesBox = nullptr, *m_accountsBox = nullptr;
    QListWidget *m_groups = nullptr;
    QComboBox *m_accountCombo = nullptr, *m_profileCombo = nullptr;
    QComboBox *m_serverType = nullptr, *m_dataProfile = nullptr, *m_downloadMode = nullptr, *m_signatureUse = nullptr;
    QLineEdit *m_profileName = nullptr, *m_proxyServer = nullptr, *m_proxyPort = nullptr, *m_login = nullptr,
              *m_profilePassword = nullptr;
    QRadioButton *m_http = nullptr, *m_wap = nullptr, *m_secure = nullptr, *m_insecure = nullptr;
    bool m_writing = false;
};

} // namespace vandrel::ui
