#include "phoneinfosession.h"

#include <core/at/phoneinfo.h>

namespace vandrel::link {

QCoro::Task<Result<QList<PhoneInfoRow>>> readPhoneInfo(PhoneLink &link,
                                                       std::function<bool(const PhoneInfoRow &)> onRow)
{
    QList<PhoneInfoRow> rows;
    if (!link.modemPort()->isOpen())
        co_return Result<QList<PhoneInfoRow>>::of(rows);
    QPointer<PhoneLink> guard(&link);
    auto claim = link.claim(PhoneLink::Port::Modem);
    for (const at::InfoQuery &q : at::phoneInfoQueries()) {
        const auto reply = co_await link.atCommand(q.command);
        if (!guard)
            co_return Result<QList<PhoneInfoRow>>::from(Outcome::cancelled());
        if (!reply.ok())
            co_return Result<QList<PhoneInfoRow>>::from(reply.outcome);
        rows.append({q.label, at::phoneInfoValue(q.command, reply.value)});
        // The command in flight is always answered before the port is given up, so its
        // reply is never taken for the answer to someone else's command.
        if (onRow && !onRow(rows.last()))
            co_return Result<QList<PhoneInfoRow>>::from(Outcome::cancelled());
    }
    co_return Result<QList<PhoneInfoRow>>::of(rows);
}

} // namespace vandrel::link
