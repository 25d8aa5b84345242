#include "replay.h"

#include <QFile>
#include <cstdio>

namespace vandrel::phonesim {

using text::TranscriptEntry;

ReplayPhone::ReplayPhone(const QList<TranscriptEntry> &recorded, QObject *parent)
    : QObject(parent),
      m_modem("modem", recorded, TranscriptEntry::Port::Modem),
      m_diag("diag", recorded, TranscriptEntry::Port::Diag)
{
    for (Port *port : {&m_modem, &m_diag})
        connect(&port->channel, &channel::SerialChannel::readyRead, this, [this, port] { answer(*port); });
}

ReplayPhone::~ReplayPhone()
{
    for (const QString &link : std::as_const(m_links))
        QFile::remove(link);
}

bool ReplayPhone::serve(const QString &modemLink, const QString &diagLink, QString *error)
{
    for (auto [port, link] : {std::pair{&m_modem, modemLink}, std::pair{&m_diag, diagLink}}) {
        port->channel.setPortName(link);
        if (const auto e = port->channel.open()) {
            *error = e.message;
            return false;
        }
        QFile::remove(link);
        if (!QFile::link(port->channel.slavePath(), link)) {
            *error = QStringLiteral("The link %1 cannot be made.").arg(link);
            return false;
        }
        m_links << link;
    }
    return true;
}

void ReplayPhone::answer(Port &port)
{
    const bool wasStopped = port.replay.mismatched();
    const QByteArray reply = port.replay.receive(port.channel.readAll());
    if (!reply.isEmpty())
        port.channel.write(reply);
    if (port.replay.mismatched() && !wasStopped) {
        std::fprintf(stderr, "vandrel-phone: %s port: request not in the transcript: %s (expected: %s); no more answers there\n",
                     port.name, port.replay.unexpected().toHex(' ').toUpper().constData(),
                     port.replay.finished() ? "nothing more" : port.replay.expected().toHex(' ').toUpper().constData());
    }
}

} // namespace vandrel::phonesim
