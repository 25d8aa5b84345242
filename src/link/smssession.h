#pragma once
// Stored messages on the modem port: listing by storage state, reading one, deleting, and
// the reply to the read sent for a new-message notice. Each is a dialogue of its own that
// holds the port, every reply framed by its final result code.
#include "phonelink.h"

#include <core/at/messagelist.h>
#include <core/sms/pdu.h>

#include <QCoroTask>
#include <QList>

namespace vandrel::link {

// The five filters of the list, in the order of their buttons.
enum class SmsFilter { Unread, Read, Unsent, Sent, All };

// This phone numbers stored sent messages 2 and unsent ones 3.
int storageStateOf(SmsFilter filter);
QByteArray listCommand(SmsFilter filter);

// The entries the phone holds for the filter. "ERROR" ends it as PhoneError ("Received Error
// from phone"), "+CMS ERROR" as Refused with the error in words; a reply with lines but no
// entry in the expected form is Malformed. An entry that cannot be read is named in
// `problems` while the rest is listed.
QCoro::Task<Result<at::MessageList>> listMessages(PhoneLink &link, SmsFilter filter);

// One stored message (its index filled in).
QCoro::Task<Result<at::StoredMessage>> readMessage(PhoneLink &link, int index);

struct DeleteFailure {
    int index = -1;
    QString reason;
};
// AT+CMGD for each index in turn. A refused index is named and the rest still deleted; only
// a link failure ends the dialogue early (the indexes not tried are named as well).
QCoro::Task<Result<QList<DeleteFailure>>> deleteMessages(PhoneLink &link, QList<int> indexes);

// The message of a "+CMGR ... OK" reply that the receive dispatcher delivers for a notice.
struct IncomingSms {
    QString pdu;
    int state = -1;
    sms::DecodedSms sms;
};
Checked<IncomingSms> decodeIncoming(const QByteArray &reply, const QDateTime &now);

} // namespace vandrel::link

namespace vandrel::link {
// The recipient lines of "addr.vdl" in the data folder (none when it is missing).
QStringList loadRecipientLines();
} // namespace vandrel::link
