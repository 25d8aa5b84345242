#include "connectflow.h"

#include <QPointer>

namespace vandrel::link {

QCoro::Task<Result<ObexFolder>> connectAndList(PhoneLink &link, ConnectSession &session, QStringList path,
                                               bool sizeQueryPending)
{
    QPointer<ConnectSession> self(&session);
    link.log().clear();
    const Outcome opened = co_await session.openPort();
    if (!self)
        co_return Result<ObexFolder>::from(Outcome::cancelled());
    if (!opened.ok())
        co_return Result<ObexFolder>::from(opened);

    const QDeadlineTimer deadline(link.timing().obexPhaseLimit);
    session.setDeadline(deadline);
    link.log().append(QStringLiteral("OBEX CONNECTING BEGIN"));
    auto claim = link.claim(PhoneLink::Port::Modem);
    if (const Outcome o = co_await session.echoAndNotices(); !o.ok())
        co_return Result<ObexFolder>::from(o);
    if (!self)
        co_return Result<ObexFolder>::from(Outcome::cancelled());
    if (const Outcome o = co_await session.enterObexMode(true); !o.ok())
        co_return Result<ObexFolder>::from(o);
    if (!self)
        co_return Result<ObexFolder>::from(Outcome::cancelled());

    ObexSession obex(link);
    obex.setDeadline(deadline);
    obex.setConnectingLog(true);
    auto folder = co_await obex.listInObexMode(path, sizeQueryPending);
    if (folder.ok())
        link.log().append(QStringLiteral("OBEX CONNECTING END"));
    co_return folder;
}

} // namespace vandrel::link
