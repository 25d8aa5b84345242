#pragma once
// The program's settings: typed values under their stored names, a defaults table, and the
// reading rules (reading stops at the first value that is present but of the wrong type).
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace vandrel::settings {

struct AppSettings {
    QString portName;          // "číslo portu": modem port (AT, OBEX)
    int speed = 14400;         // "rychlost"
    QString language;          // "jazyk"
    QString portName2;         // "číslo portu2": diagnostic port
    int speed2 = 9600;         // "rychlost2": the port's built-in speed until one is read
    bool readSMS = false;
    bool minimalize = false;
    bool log = true;
    bool DCOneFile = false;
    bool ikony = false;
    QString cesta;             // folder shown in the computer pane
    bool BrewDirWarning = true;
    QString editFile;          // empty: the platform's text editor
    bool statusreport = false;
    bool readStatus = false;

    static AppSettings defaults();
    bool operator==(const AppSettings &) const = default;
};

// The stored names, exactly as the settings key holds them.
namespace key {
inline const QString portName = QStringLiteral("číslo portu");
inline const QString speed = QStringLiteral("rychlost");
inline const QString language = QStringLiteral("jazyk");
inline const QString portName2 = QStringLiteral("číslo portu2");
inline const QString speed2 = QStringLiteral("rychlost2");
inline const QString readSMS = QStringLiteral("readSMS");
inline const QString minimalize = QStringLiteral("minimalize");
inline const QString log = QStringLiteral("log");
inline const QString DCOneFile = QStringLiteral("DCOneFile");
inline const QString ikony = QStringLiteral("ikony");
inline const QString cesta = QStringLiteral("cesta");
inline const QString BrewDirWarning = QStringLiteral("BrewDirWarning");
inline const QString editFile = QStringLiteral("editFile");
inline const QString statusreport = QStringLiteral("statusreport");
inline const QString readStatus = QStringLiteral("readStatus");
// Kept by the composer itself, outside AppSettings.
inline const QString serviceCentre = QStringLiteral("operator");
inline const QString plainLetters = QStringLiteral("bezDiakritiky");
} // namespace key

// What a settings backend holds: whether the key exists at all, and each stored value.
class SettingsSource {
public:
    virtual ~SettingsSource() = default;
    virtual bool keyExists() const = 0;
    virtual std::optional<QVariant> value(const QString &name) const = 0;
};

AppSettings loadSettings(const SettingsSource &source);

// The values written when the settings window closes with OK, in writing order.
QList<QPair<QString, QVariant>> valuesAfterSettingsWindow(const AppSettings &s);
// The values written when the main window closes.
QList<QPair<QString, QVariant>> valuesAtClose(const AppSettings &s);

// Speeds the program offers, in the order of every speed list.
const QList<int> &offeredSpeeds();
// Any speed the program does not offer becomes 14400.
int normaliseSpeed(int speed);
// "14400 Bd" for an offered speed; empty for any other.
QString speedLabel(int speed);
// " & 14400 Bd" after a port name in the status bar; empty for a speed not offered.
QString speedSuffix(int speed);

// Strict conversions of stored values: an INI file stores text, so "abc" is no number and
// "maybe" no boolean.
std::optional<int> toStrictInt(const QVariant &v);
std::optional<bool> toStrictBool(const QVariant &v);

} // namespace vandrel::settings
