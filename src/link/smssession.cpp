#include "smssession.h"

#include <core/at/atreply.h>
#include <core/sms/composer.h>

namespace vandrel::link {
namespace {

// The phone's answer to a message command: its own "ERROR" means it needs a restart; a
// numbered error is an answer about this one request.
Outcome failureOf(const QByteArray &reply)
{
    if (at::finalOf(reply) == at::Final::Error)
        return Outcome::failed(FailureKind::PhoneError, QStringLiteral("Received Error from phone"));
    if (const auto code = sms::cmsErrorCode(reply))
        return Outcome::failed(FailureKind::Refused, sms::cmsErrorText(*code));
    const QList<QByteArray> lines = reply.trimmed().split('\n');
    return Outcome::failed(FailureKind::Refused, QString::fromLatin1(lines.last().trimmed()));
}

// Whether the reply echoes a command other than `command`.
bool echoesAnotherCommand(const QByteArray &reply, const QByteArray &command)
{
    const QByteArray first = reply.trimmed().split('\r').value(0).split('\n').value(0).trimmed();
    return first.startsWith("AT") && first != command;
}

// The command's reply. A reply that echoes another command belongs to an exchange that did not
// wait for it (connecting from the SMS tab sends "ATE1" without waiting) and is passed over.
QCoro::Task<Result<QByteArray>> exchange(PhoneLink &link, QByteArray command)
{
    QPointer<PhoneLink> guard(&link);
    auto reply = co_await link.atCommand(command);
    for (int stale = 0; guard && reply.ok() && stale < 4 && echoesAnotherCommand(reply.value, command); ++stale)
        reply = co_await link.reader(PhoneLink::Port::Modem).next(at::replyLength, link.timing().replyLimit);
    co_return reply;
}

// The command's reply once the phone accepted it; its refusal in words, or the link's failure.
QCoro::Task<Result<QByteArray>> accepted(PhoneLink &link, QByteArray command)
{
    QPointer<PhoneLink> guard(&link);
    auto reply = co_await exchange(link, std::move(command));
    if (!guard)
        co_return Result<QByteArray>::from(Outcome::cancelled());
    if (reply.ok() && at::isFailure(at::finalOf(reply.value)))
        co_return Result<QByteArray>::from(failureOf(reply.value));
    co_return reply;
}

} // namespace

int storageStateOf(SmsFilter filter)
{
    switch (filter) {
    case SmsFilter::Unread: return 0;
    case SmsFilter::Read: return 1;
    case SmsFilter::Unsent: return 3;
    case SmsFilter::Sent: return 2;
    case SmsFilter::All: return 4;
    }
    return 4;
}

QByteArray listCommand(SmsFilter filter) { return "AT+CMGL=" + QByteArray::number(storageStateOf(filter)); }

QCoro::Task<Result<at::MessageList>> listMessages(PhoneLink &link, SmsFilter filter)
{
    using R = Result<at::MessageList>;
    auto claim = link.claim(PhoneLink::Port::Modem);
    const QByteArray command = listCommand(filter);
    const auto reply = co_await accepted(link, command);
    if (!reply.ok())
        co_return R::from(reply.outcome);
    const auto list = at::parseMessageList(reply.value, at::MessageCommand::List);
    if (!list)
        co_return R::from(Outcome::failed(FailureKind::Malformed, list.error()));
    if (list->messages.isEmpty()) {
        // Lines that are neither entries nor notices: not the listing we asked for.
        qsizetype foreign = 0;
        for (const QByteArray &line : at::informationLines(reply.value, command))
            if (!line.startsWith('+') || line.startsWith("+CMGL:"))
                ++foreign;
        if (foreign > 0 || !list->problems.isEmpty())
            co_return R::from(Outcome::failed(FailureKind::Malformed, list->problems.join(QStringLiteral("; "))));
    }
    co_return R::of(*list);
}

QCoro::Task<Result<at::StoredMessage>> readMessage(PhoneLink &link, int index)
{
    using R = Result<at::StoredMessage>;
    auto claim = link.claim(PhoneLink::Port::Modem);
    const auto reply = co_await accepted(link, "AT+CMGR=" + QByteArray::number(index));
    if (!reply.ok())
        co_return R::from(reply.outcome);
    const auto list = at::parseMessageList(reply.value, at::MessageCommand::Read);
    if (!list || list->messages.size() != 1)
        co_return R::from(Outcome::failed(FailureKind::Malformed,
                                          list ? QStringLiteral("no message in the reply") : list.error()));
    at::StoredMessage m = list->messages.first();
    m.index = index;
    co_return R::of(m);
}

QCoro::Task<Result<QList<DeleteFailure>>> deleteMessages(PhoneLink &link, QList<int> indexes)
{
    using R = Result<QList<DeleteFailure>>;
    QPointer<PhoneLink> guard(&link);
    auto claim = link.claim(PhoneLink::Port::Modem);
    QList<DeleteFailure> failures;
    for (qsizetype i = 0; i < indexes.size(); ++i) {
        const auto reply = co_await exchange(link, "AT+CMGD=" + QByteArray::number(indexes[i]));
        if (!guard)
            co_return R::from(Outcome::cancelled());
        if (!reply.ok()) {
            R r = R::from(reply.outcome);
            for (qsizetype j = i; j < indexes.size(); ++j)
                r.value.append({indexes[j], describe(reply.outcome.kind)});
            co_return r;
        }
        if (at::isFailure(at::finalOf(reply.value)))
            failures.append({indexes[i], failureOf(reply.value).detail});
    }
    co_return R::of(failures);
}

Checked<IncomingSms> decodeIncoming(const QByteArray &reply, const QDateTime &now)
{
    const auto list = at::parseMessageList(reply, at::MessageCommand::Read);
    if (!list)
        return Checked<IncomingSms>::failure(list.error());
    if (list->messages.isEmpty())
        return Checked<IncomingSms>::failure(QStringLiteral("no message in the reply"));
    const at::StoredMessage &m = list->messages.first();
    const auto sms = sms::decodePdu(m.pdu, now);
    if (!sms)
        return Checked<IncomingSms>::failure(sms.error());
    return IncomingSms{m.pdu, m.state, *sms};
}

} // namespace vandrel::link

#include "paths.h"

#include <core/phonebook/sidelines.h>

#include <QFile>
#include <QSaveFile>

namespace vandrel::link {

QStringList loadRecipientLines()
{
    QFile f(dataFile(phonebook::kRecipientFileName));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return phonebook::readSideLines(f.readAll());
}

QList<sms::QueuedMessage> loadQueue()
{
    QFile f(dataFile(sms::kQueueFileName));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return sms::readQueueFile(f.readAll());
}

bool saveQueue(const QList<sms::QueuedMessage> &queue, QString *error)
{
    QSaveFile f(dataFile(sms::kQueueFileName));
    const QByteArray bytes = sms::writeQueueFile(queue);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() && f.commit())
        return true;
    if (error)
        *error = f.errorString();
    return false;
}

} // namespace vandrel::link

namespace vandrel::link {
namespace {

constexpr char kCtrlZ = 0x1A;
constexpr char kEscape = 0x1B;

// The "> " prompt at the start of a line, or a whole reply that comes instead of it.
qsizetype promptOrReply(const QByteArray &buffer)
{
    qsizetype prompt = 0;
    for (qsizetype at = buffer.indexOf("> "); at >= 0; at = buffer.indexOf("> ", at + 1)) {
        if (at == 0 || buffer[at - 1] == '\n' || buffer[at - 1] == '\r') {
            prompt = at + 2;
            break;
        }
    }
    const qsizetype reply = at::replyLength(buffer);
    if (reply > 0 && (prompt == 0 || reply < prompt))
        return reply;
    return prompt;
}

bool isPrompt(const QByteArray &chunk) { return chunk.endsWith("> ") && at::finalOf(chunk) == at::Final::None; }

std::optional<int> messageReference(const QByteArray &reply)
{
    for (const QByteArray &line : at::informationLines(reply)) {
        if (!line.startsWith("+CMGS:"))
            continue;
        bool ok = false;
        const int n = line.mid(6).trimmed().split(',').value(0).toInt(&ok);
        if (ok)
            return n;
    }
    return std::nullopt;
}

} // namespace

QCoro::Task<Result<SendReport>> sendMessage(PhoneLink &link, OutgoingSms message, SendProgressHandler onProgress,
                                            std::shared_ptr<SendCancel> cancel)
{
    using R = Result<SendReport>;
    QPointer<PhoneLink> guard(&link);
    SendReport report;
    const auto fail = [&report](Outcome o) { return R{std::move(o), report}; };
    if (!sms::isSafeForAtCommand(message.destination) || !sms::isSafeForAtCommand(message.serviceCentre))
        co_return fail(Outcome::failed(FailureKind::Usage, QStringLiteral("The number holds a character that cannot be sent.")));
    const auto parts = sms::encodeMessage(message.destination, message.validity, message.text, message.statusReport);
    if (!parts)
        co_return fail(Outcome::failed(FailureKind::Usage, parts.error()));
    report.parts = int(parts->size());

    auto claim = link.claim(PhoneLink::Port::Modem);
    QList<QByteArray> setup{QByteArrayLiteral("AT+CMGF=0")};
    if (!message.serviceCentre.isEmpty())
        setup << "at+csca=\"" + message.serviceCentre.toLatin1() + '"';
    for (const QByteArray &command : setup) {
        const auto reply = co_await exchange(link, command);
        if (!guard)
            co_return fail(Outcome::cancelled());
        if (!reply.ok())
            co_return fail(reply.outcome);
        if (at::isFailure(at::finalOf(reply.value))) {
            report.failedPart = 1;
            co_return fail(failureOf(reply.value));
        }
    }

    ReplyReader &reader = link.reader(PhoneLink::Port::Modem);
    const Timing timing = link.timing();
    for (int i = 0; i < report.parts; ++i) {
        const int part = i + 1;
        if (cancel && cancel->requested)
            co_return fail(Outcome::cancelled());
        if (onProgress)
            onProgress({part, report.parts, -1});
        const sms::SubmitPdu &pdu = (*parts)[i];
        report.failedPart = part;
        const Outcome asked = co_await link.sendCommand("AT+CMGS=" + QByteArray::number(pdu.tpduLength), true);
        if (!guard)
            co_return fail(Outcome::cancelled());
        if (!asked.ok())
            co_return fail(asked);
        const auto prompt = co_await reader.next(promptOrReply, timing.smsPromptLimit);
        if (!guard)
            co_return fail(Outcome::cancelled());
        if (!prompt.ok() && prompt.outcome.kind == FailureKind::TimeOut) {
            // Whatever comes next must not become message text.
            report.noPrompt = true;
            const Outcome escaped = link.writeRaw(PhoneLink::Port::Modem, QByteArray(1, kEscape));
            if (!escaped.ok())
                co_return fail(escaped);
            const auto closed = co_await reader.next(at::replyLength, timing.replyLimit);
            if (!guard)
                co_return fail(Outcome::cancelled());
            if (!closed.ok())
                co_return fail(closed.outcome);
            co_return fail(Outcome::failed(FailureKind::Refused, QStringLiteral("the phone did not ask for the message")));
        }
        if (!prompt.ok())
            co_return fail(prompt.outcome);
        if (!isPrompt(prompt.value)) {
            report.cmsError = sms::cmsErrorCode(prompt.value);
            co_return fail(failureOf(prompt.value));
        }
        const Outcome typed = link.writeRaw(PhoneLink::Port::Modem, pdu.pdu.toLatin1() + kCtrlZ);
        if (!typed.ok())
            co_return fail(typed);
        // From here on the phone may send the part even when its answer never arrives.
        report.unconfirmed = true;
        const auto answer = co_await reader.next(at::replyLength, timing.smsSendLimit);
        if (!guard)
            co_return fail(Outcome::cancelled());
        if (!answer.ok())
            co_return fail(answer.outcome);
        report.unconfirmed = false;
        if (at::isFailure(at::finalOf(answer.value))) {
            report.cmsError = sms::cmsErrorCode(answer.value);
            co_return fail(failureOf(answer.value));
        }
        const auto reference = messageReference(answer.value);
        if (!reference)
            co_return fail(Outcome::failed(FailureKind::Malformed, QStringLiteral("no \"+CMGS\" in the answer")));
        report.references << *reference;
        report.failedPart = 0;
        if (onProgress)
            onProgress({part, report.parts, *reference});
    }
    co_return R::of(report);
}

QCoro::Task<Result<QString>> phoneServiceCentre(PhoneLink &link)
{
    using R = Result<QString>;
    auto claim = link.claim(PhoneLink::Port::Modem);
    const auto reply = co_await accepted(link, QByteArrayLiteral("AT+CSCA?"));
    if (!reply.ok())
        co_return R::from(reply.outcome);
    for (const QByteArray &line : at::informationLines(reply.value, "AT+CSCA?")) {
        if (!line.startsWith("+CSCA:"))
            continue;
        const QList<QByteArray> quoted = line.split('"');
        if (quoted.size() >= 3 && !quoted[1].isEmpty())
            co_return R::of(QString::fromLatin1(quoted[1]));
    }
    co_return R::from(Outcome::failed(FailureKind::Malformed, QStringLiteral("the phone named no service centre")));
}

QString sendFailureText(const Result<SendReport> &result)
{
    const SendReport &r = result.value;
    QString why;
    if (r.noPrompt)
        why = QStringLiteral("the phone did not ask for the message text");
    else if (r.cmsError)
        why = QStringLiteral("%1 (+CMS ERROR: %2)").arg(sms::cmsErrorText(*r.cmsError)).arg(*r.cmsError);
    else
        why = result.outcome.detail.isEmpty() ? describe(result.outcome.kind) : result.outcome.detail;
    if (r.failedPart == 0 || r.parts == 0)
        return why;
    if (why.endsWith(QLatin1Char('.')))
        why.chop(1); // the sentence below ends it
    QString text = r.unconfirmed
                       ? (r.parts == 1 ? QStringLiteral("The message may have been sent, the phone did not confirm it: %1.").arg(why)
                                       : QStringLiteral("Part %1 of %2 may have been sent, the phone did not confirm it: %3.")
                                             .arg(r.failedPart).arg(r.parts).arg(why))
                   : r.parts == 1 ? QStringLiteral("The message was not sent: %1.").arg(why)
                                  : QStringLiteral("Part %1 of %2 was not sent: %3.").arg(r.failedPart).arg(r.parts).arg(why);
    if (!r.references.isEmpty()) {
        QStringList went;
        for (int i = 1; i <= r.references.size(); ++i)
            went << QString::number(i);
        text += QStringLiteral(" Sent: part %1.").arg(went.join(QStringLiteral(", ")));
    } else if (r.parts > 1 && !r.unconfirmed) {
        text += QStringLiteral(" No part was sent.");
    }
    return text;
}

} // namespace vandrel::link
