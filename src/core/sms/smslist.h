#pragma once
// Rows of the message list built from the phone's list reply, and their spreadsheet backup.
#include "core/diag/checked.h"
#include "core/at/messagelist.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QStringList>

namespace vandrel::sms {

struct SmsRow {
    QString index;  // "#"
    QString date;   // "Datum": DD.MM.20YY hh:mm:ss
    QString name;   // "Jméno": from the recipient lines, or empty
    QString number; // "Číslo"
    QString text;   // "Text"
    QString pdu;    // the raw PDU, for "Copy code to clpbrd"
    friend bool operator==(const SmsRow &, const SmsRow &) = default;
};

struct SmsListing {
    QList<SmsRow> rows;
    QStringList problems; // entries that could not be decoded, by storage index
};

// `listedAt` dates stored outgoing messages, which carry no time stamp of their own.
SmsListing buildRows(const QList<at::StoredMessage> &messages, const QStringList &recipientLines,
                     const QDateTime &listedAt);

// Five text columns per row ("#", "Datum", "Jméno", "Číslo", "Text"), no heading row.
Checked<QByteArray> smsBackupXls(const QList<SmsRow> &rows);

} // namespace vandrel::sms
