#include "settingsstore.h"

#include <QDir>

namespace vandrel::link {

namespace {

std::unique_ptr<QSettings> defaultBackend()
{
#ifdef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("VANDREL_HOME"))
        return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\Software\\Vandrel Controller"),
                                           QSettings::NativeFormat);
#endif
    if (const QString home = qEnvironmentVariable("VANDREL_HOME"); !home.isEmpty())
        return std::make_unique<QSettings>(QDir(home).filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Vandrel Controller"), QStringLiteral("settings"));
}

class QSettingsSource final : public settings::SettingsSource {
public:
    QSettingsSource(const QSettings &s, bool exists) : m_s(s), m_exists(exists) {}
    bool keyExists() const override { return m_exists; }
    std::optional<QVariant> value(const QString &name) const override
    {
        if (!m_s.contains(name))
            return std::nullopt;
        return m_s.value(name);
    }

private:
    const QSettings &m_s;
    bool m_exists;
};

} // namespace

SettingsStore::SettingsStore() : m_settings(defaultBackend()) {}
SettingsStore::SettingsStore(std::unique_ptr<QSettings> backend) : m_settings(std::move(backend)) {}
SettingsStore::~SettingsStore() = default;

bool SettingsStore::keyExists() const
{
    return !m_settings->allKeys().isEmpty();
}

settings::AppSettings SettingsStore::load() const
{
    m_settings->sync();
    return settings::loadSettings(QSettingsSource(*m_settings, keyExists()));
}

bool SettingsStore::write(const QList<QPair<QString, QVariant>> &values)
{
    for (const auto &[name, value] : values)
        m_settings->setValue(name, value);
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

bool SettingsStore::saveAfterSettingsWindow(const settings::AppSettings &s)
{
    return write(settings::valuesAfterSettingsWindow(s));
}

bool SettingsStore::saveClosingSettings(const settings::AppSettings &s)
{
    if (!keyExists())
        return false;
    return write(settings::valuesAtClose(s));
}

QString SettingsStore::serviceCentre() const { return m_settings->value(settings::key::serviceCentre).toString(); }

bool SettingsStore::saveServiceCentre(const QString &number)
{
    return write({{settings::key::serviceCentre, number}});
}

bool SettingsStore::plainLetters() const { return m_settings->value(settings::key::plainLetters, false).toBool(); }

bool SettingsStore::savePlainLetters(bool on) { return write({{settings::key::plainLetters, on}}); }

} // namespace vandrel::link
