#pragma once
// The settings on QSettings: the registry key "Software\Vandrel Controller" on Windows, an
// INI file elsewhere ($VANDREL_HOME/settings.ini when that is set).
#include <core/settings/appsettings.h>

#include <QSettings>
#include <memory>

namespace vandrel::link {

class SettingsStore {
public:
    SettingsStore();
    explicit SettingsStore(std::unique_ptr<QSettings> backend);
    ~SettingsStore();

    settings::AppSettings load() const;                              // LoadSettings
    bool saveAfterSettingsWindow(const settings::AppSettings &s);    // creates the key
    bool saveClosingSettings(const settings::AppSettings &s);        // only an existing key

    // The composer's own values: the service centre ("operator", "+" and 12 digits) and the
    // "Bez diakritiky" box. Written at once, creating the key.
    QString serviceCentre() const;
    bool saveServiceCentre(const QString &number);
    bool plainLetters() const;
    bool savePlainLetters(bool on);

    QSettings &backend() { return *m_settings; }

private:
    bool keyExists() const;
    bool write(const QList<QPair<QString, QVariant>> &values);

    std::unique_ptr<QSettings> m_settings;
};

} // namespace vandrel::link
