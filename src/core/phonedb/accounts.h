#pragma once
// E-mail accounts ("account1" ... "account20") and data connection profiles ("profile1" ...
// "profile20"): fixed slots in the phone's database files.
#include "core/diag/checked.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace vandrel::phonedb {

inline constexpr int kMaxNumbered = 20;
QString accountFileName(int n); // "account" + n
QString profileFileName(int n); // "profile" + n

struct TEmail {
    QString accountName;
    QString userName;
    QString emailAddress;
    QString replyTo;
    QString userId;
    QString password;
    QString smtpUserId;
    QString smtpPassword;
    QString pop3Server;
    QString pop3Port;       // decimal
    QString smtpServer;
    QString smtpPort;       // decimal
    QString imap4Server;
    QString imap4Port;      // decimal
    QString maxMessageSize; // decimal
    QString signature;
    int dataProfile = 0;    // 1..20
    int downloadMode = 0;   // 0 headers only, 1 whole message, 2 ask
    int signatureUse = 0;   // 0 never, 1 new e-mails, 2 all e-mails
    int serverType = 0;     // 0 POP3, 1 IMAP4
    bool pop3Ssl = false;
    bool imap4Ssl = false;
    bool smtpSsl = false;
    bool smtpAuth = false;
    bool keepOnServer = false;
    bool deleteOnServer = false;
    bool saveSent = false;
    bool quoteOriginal = false;
    bool deliveryReport = false;
    bool readReport = false;
    friend bool operator==(const TEmail &, const TEmail &) = default;
};
using TEmaily = QList<TEmail>;

struct GProfil {
    QString profileName;
    int isHttp = 0;   // 1 HTTP, anything else WAP
    int isSecure = 0; // 1 secured
    QString proxyServer;
    qint32 proxyPort = 0;
    QString login;
    QString password;
    friend bool operator==(const GProfil &, const GProfil &) = default;
};
using TProfily = QList<GProfil>;

// Readers never fail: a short file leaves the missing values empty or zero.
TEmail readAccount(QByteArrayView file);
GProfil readProfile(QByteArrayView file);

// An account file that reads back to the same account. Values that do not fit their slot
// (text too long, a port that is not a number from 0 to 65535, a NUL) are refused.
Checked<QByteArray> writeAccount(const TEmail &account, int fileNumber);

} // namespace vandrel::phonedb
