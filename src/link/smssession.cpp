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
    QPointer<PhoneLink> guard(&link);
    auto claim = link.claim(PhoneLink::Port::Modem);
    const QByteArray command = listCommand(filter);
    const auto reply = co_await exchange(link, command);
    if (!guard)
        co_return R::from(Outcome::cancelled());
    if (!reply.ok())
        co_return R::from(reply.outcome);
    if (at::isFailure(at::finalOf(reply.value)))
        co_return R::from(failureOf(reply.value));
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
    QPointer<PhoneLink> guard(&link);
    auto claim = link.claim(PhoneLink::Port::Modem);
    const auto reply = co_await exchange(link, "AT+CMGR=" + QByteArray::number(index));
    if (!guard)
        co_return R::from(Outcome::cancelled());
    if (!reply.ok())
        co_return R::from(reply.outcome);
    if (at::isFailure(at::finalOf(reply.value)))
        co_return R::from(failureOf(reply.value));
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

namespace vandrel::link {

QStringList loadRecipientLines()
{
    QFile f(dataFile(phonebook::kRecipientFileName));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return phonebook::readSideLines(f.readAll());
}

} // namespace vandrel::link
