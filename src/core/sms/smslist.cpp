#include "smslist.h"

#include "core/phonebook/exports.h"
#include "core/xls/biffwriter.h"
#include "pdu.h"

namespace vandrel::sms {

SmsListing buildRows(const QList<at::StoredMessage> &messages, const QStringList &recipientLines,
                     const QDateTime &listedAt)
{
    SmsListing listing;
    for (const at::StoredMessage &m : messages) {
        const auto sms = decodePdu(m.pdu, listedAt);
        if (!sms) {
            listing.problems.append(QStringLiteral("message %1: %2").arg(m.index).arg(sms.error()));
            continue;
        }
        if (sms->text.isEmpty())
            continue;
        SmsRow row;
        row.index = QString::number(m.index);
        row.date = sms->stamp.text;
        row.number = sms->number;
        row.name = phonebook::nameForNumber(recipientLines, row.number);
        row.text = plainAccentsOfSevenBitCodes(sms->text);
        row.pdu = m.pdu;
        listing.rows.append(row);
    }
    return listing;
}

Checked<QByteArray> smsBackupXls(const QList<SmsRow> &rows)
{
    QList<QStringList> cells;
    cells.reserve(rows.size());
    for (const SmsRow &r : rows)
        cells.append({r.index, r.date, r.name, r.number, r.text});
    return xls::writeTextSheet(cells);
}

} // namespace vandrel::sms
