#pragma once
// Stored messages on the modem port: listing by storage state, reading one, deleting, and
// the reply to the read sent for a new-message notice. Each is a dialogue of its own that
// holds the port, every reply framed by its final result code.
#include "phonelink.h"

#include <core/at/messagelist.h>
#include <core/sms/pdu.h>
#include <core/sms/queue.h>

#include <QCoroTask>
#include <QList>
#include <functional>
#include <memory>
#include <optional>

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
// The queue "Odeslat.vdl" in the data folder (empty when it is missing), and writing it whole
// (atomically; false with nothing changed when it cannot be written).
QList<sms::QueuedMessage> loadQueue();
bool saveQueue(const QList<sms::QueuedMessage> &queue, QString *error = nullptr);
} // namespace vandrel::link

namespace vandrel::link {

// One message to send. The destination is as sms::destinationNumber gives it; the service
// centre ("+" and digits) is set on the phone first, or left as the phone has it when empty.
struct OutgoingSms {
    QString destination;
    QString serviceCentre;
    QString text;
    quint8 validity = 0xC4;
    bool statusReport = false;
};

// Reported when a part starts (reference -1) and when the phone has taken it.
struct SendProgress {
    int part = 0; // 1-based
    int parts = 0;
    int reference = -1;
};
using SendProgressHandler = std::function<void(const SendProgress &)>;

// Raised by the user; the sending stops before the next part.
struct SendCancel {
    bool requested = false;
};

struct SendReport {
    int parts = 0;
    QList<int> references;       // "+CMGS:" of each part that went, in order
    int failedPart = 0;          // the part that did not go; 0 when none failed
    std::optional<int> cmsError; // the phone's "+CMS ERROR" for it
    bool noPrompt = false;       // the phone never asked for the part's PDU
    bool unconfirmed = false;    // the phone took the failed part's PDU but never answered: it may have gone
};

// "AT+CMGF=0", the service centre, then per part "AT+CMGS=length", the PDU only after the
// phone's "> " prompt, and "+CMGS: n" before the next part. A missing prompt is answered with
// ESC, so nothing sent later is taken as message text. The value tells which parts went also
// when the outcome is a failure.
QCoro::Task<Result<SendReport>> sendMessage(PhoneLink &link, OutgoingSms message, SendProgressHandler onProgress,
                                            std::shared_ptr<SendCancel> cancel);

// The phone's own service centre ("AT+CSCA?"), "+" and digits.
QCoro::Task<Result<QString>> phoneServiceCentre(PhoneLink &link);

// What went and what did not, in words: "part 2 of 3 was not sent (network out of order);
// sent: part 1".
QString sendFailureText(const Result<SendReport> &result);

} // namespace vandrel::link
