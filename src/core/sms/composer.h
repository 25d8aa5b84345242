#pragma once
// What the composer decides before anything is sent: counters, the plain-letters option,
// numbers, validity, what may go into an AT command, and the phone's sending errors in words.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace vandrel::sms {

inline constexpr int kMaxSevenBitSeptets = 755;
inline constexpr int kMaxUcs2Parts = 5;

struct SmsCount {
    bool ucs2 = false;      // the text needs UCS-2
    int used = 0;           // septets (an extension character counts two), or UCS-2 code units
    int limit = 0;          // 755 septets, or the UCS-2 units of five parts
    int parts = 0;          // the PDUs encodeMessage makes of the text
    bool overLimit = false; // the composer refuses to send it
};

SmsCount countMessage(QStringView text);

// "12 / 755", or "12 / 335 UCS-2".
QString counterText(const SmsCount &count);

// Czech letters with diacritics as their base letters (č -> c, Ů -> U); everything else unchanged.
QString withoutDiacritics(QStringView text);

// A line of the recipient list (display name, "$&@", numbers each ended by ";"): the name and
// the first four numbers that are not empty, as the number box offers them.
struct Recipient {
    QString name;
    QStringList numbers;
};
Recipient recipientOf(const QString &line);

// The destination as sent, international digits without "+": 12 digits as typed, 9 digits
// after the country code of the service centre ("+420..." gives "420"), "+" with 8 to 15 digits
// as typed. Blanks and the separators - / . ( ) are ignored. Nothing for anything else.
std::optional<QString> destinationNumber(QStringView typed, QStringView serviceCentre);

// The service centre as stored: "+" and 12 digits; 12 digits get the "+". Nothing otherwise.
std::optional<QString> serviceCentreNumber(QStringView typed);

// Relative validity octets (TS 23.040): the shortest period that lasts at least as long as
// asked: up to 12 hours in 5-minute steps, up to 24 hours in 30-minute steps, then days up to
// 30, then weeks up to 63. 2 days give 0xA8, 30 days 0xC4, 6 hours 0x47.
quint8 validityForMinutes(qint64 minutes);
inline quint8 validityForHours(int hours) { return validityForMinutes(qint64(hours) * 60); }
inline quint8 validityForDays(int days) { return validityForMinutes(qint64(days) * 24 * 60); }
// How long a relative validity octet lasts.
qint64 validityMinutes(quint8 octet);

// Text that may stand inside an AT command line: no CR, LF, '"', Ctrl-Z or other control character.
bool isSafeForAtCommand(QStringView text);

// The code of a "+CMS ERROR: n" line in a reply; nothing when there is none.
std::optional<int> cmsErrorCode(QByteArrayView reply);
// The error in words (TS 27.005 and the network's causes), such as "SMSC address unknown".
QString cmsErrorText(int code);

} // namespace vandrel::sms
