#pragma once
// The phone's identity and status: nine AT commands, and their replies as readable rows.
#include <QByteArray>
#include <QList>
#include <QString>

namespace vandrel::at {

struct InfoQuery {
    QByteArray command;
    QString label;
};

// "AT+CGMI" ... "AT^SCID", in the order they are asked.
const QList<InfoQuery> &phoneInfoQueries();

// The value shown for one reply: the information without echo and prefix, made readable
// (battery in %, signal in dBm, the operator's name); "ERROR" when the phone refused.
QString phoneInfoValue(const QByteArray &command, const QByteArray &reply);

} // namespace vandrel::at
