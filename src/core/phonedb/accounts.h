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

// No database file of the phone comes near this; anything larger is not one of them. Callers
// read at most one byte more than this, so the readers can tell.
inline constexpr qsizetype kMaxDatabaseFileSize = 1 << 20;

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
    QString pop3Port = QStringLiteral("0");       // decimal, 0..65535
    QString smtpServer;
    QString smtpPort = QStringLiteral("0");       // decimal, 0..65535
    QString imap4Server;
    QString imap4Port = QStringLiteral("0");      // decimal, 0..65535
    QString maxMessageSize = QStringLiteral("0"); // decimal, 0..65535
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

// The fields as the file gives them. These never fail: a short file leaves the missing values
// empty or zero (see readAccountFile and readProfileFile for the checked reading).
TEmail readAccount(QByteArrayView file);
GProfil readProfile(QByteArrayView file);

// One account of the table, with the file it was read from.
struct AccountRecord {
    TEmail account;
    QByteArray original; // the file's bytes; empty for an account added on the computer
    QString fileName;    // that file's name ("account5"), for messages; empty when added
};

// The account of a file, refused (the file named) when the file is larger than
// kMaxDatabaseFileSize or ends before a value of the layout does.
Checked<AccountRecord> readAccountFile(QByteArrayView bytes, const QString &fileName);
Checked<GProfil> readProfileFile(QByteArrayView bytes, const QString &fileName);

// "Přidat" of the e-mail box: a new account with only its name set, refused when the name does
// not fit the file.
Checked<AccountRecord> newAccount(const QString &name);

// "OK" of the e-mail box: the values of the controls become the account as a whole or not at
// all. The account name stays; every changed value is checked (ports and the message size are
// numbers from 0 to 65535 and are stored as plain decimals; texts must fit their slots and the
// code page). The refusal names the account and the field.
Checked<TEmail> storeAccount(const TEmail &current, const TEmail &controls);

// The values of the profile box's controls.
struct ProfileControls {
    QString profileName;
    bool http = false;
    bool secure = false;
    QString proxyServer;
    QString proxyPort; // as typed
    QString login;
    QString password;
};
// "OK" of the profile box: the whole profile, or a refusal when the proxy port is not a number
// from 0 to 65535.
Checked<GProfil> storeProfile(const GProfil &current, const ProfileControls &controls);

// The file for an account: its original with the changed values patched in (every other byte
// kept, so an unchanged account gives its original back), or a new file in the same layout
// with the file number in its first four bytes. Refused, naming the account and the field,
// when a value does not fit or would not read back as it is.
Checked<QByteArray> writeAccount(const AccountRecord &record, int fileNumber);
Checked<QByteArray> writeAccount(const TEmail &account, int fileNumber);

} // namespace vandrel::phonedb
