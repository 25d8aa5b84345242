#include "smslist.h"

#include "core/phonebook/exports.h"
#include "core/xls/biffwriter.h"

#include <optional>
#include <variant>

namespace vandrel::sms {
namespace {

const QString kDeletedMarker = QStringLiteral("xxxdelxxx");

struct Part {
    int index = -1;
    int state = -1;
    QString pdu;
    DecodedSms sms;
};

// The parts of one linked message, by part number; a slot stays empty while its part is missing.
struct LinkedMessage {
    QString number;
    MessageKind kind = MessageKind::Deliver;
    int reference = 0;
    QList<std::optional<Part>> parts;

    bool accepts(const DecodedSms &s) const
    {
        return s.number == number && s.kind == kind && s.concat.reference == reference
               && s.concat.count == parts.size() && !parts[s.concat.number - 1];
    }
};

bool isShown(const QString &text) { return !text.isEmpty() && text != kDeletedMarker; }

SmsRow rowOf(const QList<std::optional<Part>> &parts)
{
    SmsRow row;
    row.partCount = int(parts.size());
    for (const auto &p : parts) {
        if (!p) {
            ++row.missingParts;
            row.text += kMissingPart;
            continue;
        }
        if (row.indexes.isEmpty()) {
            row.stamp = p->sms.stamp;
            row.number = p->sms.number;
            row.state = p->state;
        }
        row.indexes.append(p->index);
        row.pdus.append(p->pdu);
        row.state = qMin(row.state, p->state);
        row.text += plainAccentsOfSevenBitCodes(p->sms.text);
    }
    return row;
}

QString csvField(const QString &value)
{
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\r') && !value.contains(u'\n'))
        return value;
    QString quoted = value;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QStringList backupCells(const SmsRow &r) { return {r.indexesText(), r.dateText(), r.name, r.number, r.text}; }

} // namespace

QString SmsRow::indexesText() const
{
    QStringList out;
    for (const int i : indexes)
        out.append(QString::number(i));
    return out.join(u'+');
}

SmsListing buildRows(const QList<at::StoredMessage> &messages, const QStringList &recipientLines,
                     const QDateTime &listedAt)
{
    SmsListing listing;
    // Each listed entry either finishes a row at once or joins a linked message; both keep
    // the place of their first entry.
    QList<std::variant<SmsRow, qsizetype>> places;
    QList<LinkedMessage> linked;
    for (const at::StoredMessage &m : messages) {
        const auto sms = decodePdu(m.pdu, listedAt);
        if (!sms) {
            listing.problems.append(QStringLiteral("message %1: %2").arg(m.index).arg(sms.error()));
            SmsRow row;
            row.kind = RowKind::Undecodable;
            row.indexes = {m.index};
            row.pdus = {m.pdu};
            row.state = m.state;
            row.text = QStringLiteral("The message cannot be decoded: ") + sms.error();
            places.append(row);
            continue;
        }
        if (sms->kind == MessageKind::StatusReport) {
            SmsRow row;
            row.kind = RowKind::DeliveryReport;
            row.indexes = {m.index};
            row.pdus = {m.pdu};
            row.state = m.state;
            row.stamp = sms->stamp;
            row.number = sms->number;
            row.discharged = sms->discharged;
            row.status = sms->status;
            row.text = QStringLiteral("Delivery report: %1 (%2)").arg(deliveryStatusText(sms->status), sms->discharged.display());
            places.append(row);
            continue;
        }
        if (sms->applicationPort >= 0)
            continue; // data for an application of the phone, not a text
        const Part part{m.index, m.state, m.pdu, *sms};
        const Concatenation &c = sms->concat;
        if (c.count < 2 || c.number < 1 || c.number > c.count) {
            places.append(rowOf({part}));
            continue;
        }
        qsizetype at = 0;
        while (at < linked.size() && !linked[at].accepts(*sms))
            ++at;
        if (at == linked.size()) {
            linked.append({sms->number, sms->kind, c.reference, QList<std::optional<Part>>(c.count)});
            places.append(at);
        }
        linked[at].parts[c.number - 1] = part;
    }

    for (const auto &place : places) {
        SmsRow row = std::holds_alternative<SmsRow>(place) ? std::get<SmsRow>(place) : rowOf(linked[std::get<qsizetype>(place)].parts);
        if (row.kind == RowKind::Message && !isShown(row.text))
            continue;
        row.name = phonebook::nameForNumber(recipientLines, row.number);
        listing.rows.append(row);
    }
    return listing;
}

QString storageStateName(int state)
{
    switch (state) {
    case 0: return QStringLiteral("unread");
    case 1: return QStringLiteral("read");
    case 2: return QStringLiteral("sent");
    case 3: return QStringLiteral("unsent");
    default: return QString::number(state);
    }
}

QString cliLine(const SmsRow &row)
{
    QStringList fields = {row.indexesText(), storageStateName(row.state), row.stamp.display(), row.number, row.name, row.text};
    for (QString &f : fields) {
        f.replace(u'\\', QStringLiteral("\\\\"));
        f.replace(u'\t', QStringLiteral("\\t"));
        f.replace(u'\r', QStringLiteral("\\r"));
        f.replace(u'\n', QStringLiteral("\\n"));
    }
    return fields.join(u'\t');
}

const QStringList &smsColumnCaptions()
{
    static const QStringList captions = {QStringLiteral("#"), QStringLiteral("Datum"), QStringLiteral("Jméno"),
                                         QStringLiteral("Číslo"), QStringLiteral("Text")};
    return captions;
}

Checked<SheetBackup> smsBackupXls(const QList<SmsRow> &rows)
{
    QList<QStringList> cells;
    cells.reserve(rows.size());
    for (const SmsRow &r : rows)
        cells.append(backupCells(r));
    xls::SheetLosses losses;
    const auto bytes = xls::writeTextSheetLossy(cells, &losses);
    if (!bytes)
        return Checked<SheetBackup>::failure(bytes.error());
    return SheetBackup{*bytes, losses.cellsNotInCodePage, losses.cellsCut};
}

QByteArray smsBackupCsv(const QList<SmsRow> &rows)
{
    QByteArray out = "\xEF\xBB\xBF";
    const auto record = [&out](const QStringList &fields) {
        QStringList quoted;
        for (const QString &f : fields)
            quoted.append(csvField(f));
        out += quoted.join(u',').toUtf8() + "\r\n";
    };
    record(smsColumnCaptions());
    for (const SmsRow &r : rows)
        record(backupCells(r));
    return out;
}

} // namespace vandrel::sms
