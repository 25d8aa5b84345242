#pragma once
// The whole connecting sequence of the explorer in OBEX access: port, echo mode, notices,
// OBEX mode, connect, path walk, memory sizes, first listing, all within the OBEX phase limit.
#include "connectsession.h"
#include "obexsession.h"

namespace vandrel::link {

QCoro::Task<Result<ObexFolder>> connectAndList(PhoneLink &link, ConnectSession &session, QStringList path,
                                               bool sizeQueryPending);

} // namespace vandrel::link
