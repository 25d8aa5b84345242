#include "appsettings.h"

namespace vandrel::settings {

AppSettings AppSettings::defaults()
{
    AppSettings s;
#ifdef Q_OS_WIN
    s.portName = QStringLiteral("COM1");
    s.portName2 = QStringLiteral("COM1");
    s.editFile = QStringLiteral("notepad.exe");
#else
    // The phone's cable enumerates as two CDC ACM ports, modem first.
    s.portName = QStringLiteral("/dev/ttyACM0");
    s.portName2 = QStringLiteral("/dev/ttyACM1");
#endif
    s.language = QStringLiteral("EN");
    return s;
}

std::optional<int> toStrictInt(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return v.toInt();
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        bool ok = false;
        const int n = v.toString().trimmed().toInt(&ok);
        return ok ? std::optional<int>(n) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::optional<bool> toStrictBool(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return v.toLongLong() != 0;
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        const QString t = v.toString().trimmed().toLower();
        if (t == QLatin1String("true") || t == QLatin1String("1"))
            return true;
        if (t == QLatin1String("false") || t == QLatin1String("0"))
            return false;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

AppSettings loadSettings(const SettingsSource &source)
{
    AppSettings s = AppSettings::defaults();
    if (!source.keyExists())
        return s;

    // Strings: a missing one keeps the built-in value (an empty port name opens nothing).
    auto readString = [&](const QString &name, QString &target) {
        if (const auto v = source.value(name); v && !v->toString().isEmpty())
            target = v->toString();
    };
    // Numbers and booleans: a missing one keeps its default; one present but unreadable
    // stops the reading.
    bool failed = false;
    auto readInt = [&](const QString &name, int &target) {
        if (failed)
            return;
        if (const auto v = source.value(name)) {
            if (const auto n = toStrictInt(*v))
                target = normaliseSpeed(*n);
            else
                failed = true;
        }
    };
    auto readBool = [&](const QString &name, bool &target) {
        if (failed)
            return;
        if (const auto v = source.value(name)) {
            if (const auto b = toStrictBool(*v))
                target = *b;
            else
                failed = true;
        }
    };
    auto readStringUnlessFailed = [&](const QString &name, QString &target) {
        if (!failed)
            readString(name, target);
    };

    readString(key::portName, s.portName);
    readInt(key::speed, s.speed);
    readStringUnlessFailed(key::language, s.language);
    readStringUnlessFailed(key::portName2, s.portName2);
    readInt(key::speed2, s.speed2);
    readBool(key::readSMS, s.readSMS);
    readBool(key::minimalize, s.minimalize);
    readBool(key::log, s.log);
    readBool(key::DCOneFile, s.DCOneFile);
    readBool(key::ikony, s.ikony);
    if (!failed) {
        if (const auto v = source.value(key::cesta))
            s.cesta = v->toString();
    }
    readBool(key::BrewDirWarning, s.BrewDirWarning);
    readStringUnlessFailed(key::editFile, s.editFile);
    readBool(key::statusreport, s.statusreport);

    if (failed) {
        const AppSettings d = AppSettings::defaults();
        s.log = true;
        s.BrewDirWarning = true;
        s.editFile = d.editFile;
    }
    if (s.editFile.isEmpty())
        s.editFile = AppSettings::defaults().editFile;
    return s;
}

QList<QPair<QString, QVariant>> valuesAfterSettingsWindow(const AppSettings &s)
{
    return {
        {key::portName, s.portName},   {key::portName2, s.portName2},
        {key::speed, s.speed},         {key::speed2, s.speed2},
        {key::language, s.language},   {key::readSMS, s.readSMS},
        {key::readStatus, s.readStatus}, {key::minimalize, s.minimalize},
        {key::log, s.log},             {key::DCOneFile, s.DCOneFile},
        {key::ikony, s.ikony},         {key::BrewDirWarning, s.BrewDirWarning},
        {key::editFile, s.editFile},
    };
}

QList<QPair<QString, QVariant>> valuesAtClose(const AppSettings &s)
{
    return {{key::cesta, s.cesta}, {key::statusreport, s.statusreport}};
}

const QList<int> &offeredSpeeds()
{
    static const QList<int> speeds{14400, 115200, 128000, 256000};
    return speeds;
}

int normaliseSpeed(int speed) { return offeredSpeeds().contains(speed) ? speed : 14400; }

QString speedLabel(int speed)
{
    return offeredSpeeds().contains(speed) ? QString::number(speed) + QStringLiteral(" Bd") : QString();
}

QString speedSuffix(int speed)
{
    const QString label = speedLabel(speed);
    return label.isEmpty() ? QString() : QStringLiteral(" & ") + label;
}

} // namespace vandrel::settings
