#include "modemport.h"

#include "seed.h"

namespace vandrel::phonesim {

namespace {
constexpr qsizetype longestLine = 2048;
const QByteArray escape = QByteArrayLiteral("+++");
} // namespace

ModemPort::ModemPort(const QString &rootDir, RequestRules &rules, AnomalyLog &anomalies,
                     std::function<void(const QByteArray &)> send, std::function<void()> goSilent)
    : m_rules(rules), m_anomalies(anomalies), m_send(std::move(send)), m_goSilent(std::move(goSilent)),
      m_obex(obexRootOf(rootDir), anomalies), m_sms(smsStoreOf(rootDir), rules, anomalies, m_send)
{
}

void ModemPort::reset()
{
    m_mode = Mode::At;
    m_expectCr = false;
    m_in.clear();
    m_obex.reset();
    m_sms.reset();
}

void ModemPort::sendUnsolicited(const QByteArray &line)
{
    m_send(QByteArrayLiteral("\r\n") + line + QByteArrayLiteral("\r\n"));
}

QList<int> ModemPort::receiveMessage(const QString &from, const QString &text)
{
    const QList<int> indexes = m_sms.receive(from, text);
    if (m_sms.indicationsOn() && m_mode == Mode::At && !m_sms.typing())
        for (const int index : indexes)
            sendUnsolicited("+CMTI: \"SM\"," + QByteArray::number(index));
    return indexes;
}

void ModemPort::feed(const QByteArray &bytes)
{
    m_in.append(bytes);
    Mode before;
    do {
        before = m_mode;
        if (m_mode == Mode::At)
            feedAt();
        else
            feedObex();
    } while (m_mode != before && !m_in.isEmpty());
}

bool ModemPort::silencedAt(const QString &request)
{
    if (!m_rules.silentAtModem.contains(request))
        return false;
    m_goSilent();
    return true;
}

void ModemPort::feedAt()
{
    while (m_mode == Mode::At) {
        if (m_sms.typing()) {
            m_sms.feedTyped(m_in, m_echo);
            if (m_sms.typing())
                return;
            continue;
        }
        const qsizetype cr = m_in.indexOf('\r');
        if (cr < 0) {
            if (m_in.size() > longestLine) {
                m_anomalies.record(QStringLiteral("modem"), QStringLiteral("AT line without CR"));
                m_in.clear();
            }
            return;
        }
        QByteArray line = m_in.left(cr);
        m_in.remove(0, cr + 1);
        line.replace('\n', QByteArray());
        command(line);
    }
}

void ModemPort::command(QByteArray line)
{
    const QByteArray raw = line;
    // The client puts "+++" right before "AT^SQWE=0" without a guard time; in command mode
    // that escape is no part of the command.
    while (line.startsWith(escape))
        line.remove(0, escape.size());
    const QByteArray upper = line.trimmed().toUpper();
    if (upper.isEmpty())
        return;
    if (!upper.startsWith("AT")) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("no AT command in command mode: %1")
                                                        .arg(QString::fromLatin1(raw.left(40).toHex(' '))));
        return;
    }
    if (silencedAt(QString::fromLatin1(upper)))
        return;
    if (m_echo)
        m_send(raw + '\r');
    if (m_rules.errorCommands.contains(QString::fromLatin1(upper)))
        return result({}, false);

    const QByteArray cmd = upper.mid(2);
    if (cmd.isEmpty() || cmd == "Z" || cmd == "&F")
        return result({}, true);
    if (cmd == "E1" || cmd == "E0" || cmd == "E") {
        m_echo = cmd == "E1";
        return result({}, true);
    }
    if (cmd == "^SQWE=0")
        return result({}, true);
    if (cmd == "^SQWE=3") {
        result({}, true);
        m_mode = Mode::Obex;
        m_expectCr = false;
        m_obex.reset();
        return;
    }
    if (m_sms.command(cmd, line.trimmed().mid(2)))
        return;
    const std::pair<const char *, const QByteArray *> identity[] = {
        {"+CGMI", &m_identity.manufacturer}, {"+CGMM", &m_identity.model},  {"+CGMR", &m_identity.revision},
        {"+CGSN", &m_identity.serial},       {"+CBC", &m_identity.battery}, {"+CSQ", &m_identity.signal},
        {"+COPS?", &m_identity.oper},        {"+CIMI", &m_identity.subscriber}, {"^SCID", &m_identity.cardId},
    };
    for (const auto &[name, answer] : identity)
        if (cmd == name)
            return result(*answer, true);
    if (cmd == "^SMSO") {
        ++m_switchOffs;
        return result("^SMSO: MS OFF", true);
    }
    result({}, false);
}

void ModemPort::result(const QByteArray &text, bool ok)
{
    QByteArray out;
    if (!text.isEmpty())
        out += QByteArrayLiteral("\r\n") + text + QByteArrayLiteral("\r\n");
    out += ok ? QByteArrayLiteral("\r\nOK\r\n") : QByteArrayLiteral("\r\nERROR\r\n");
    m_send(out);
}

void ModemPort::feedObex()
{
    auto unknown = [this] {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("unknown OBEX opcode %1")
                                                        .arg(quint8(m_in[0]), 2, 16, QLatin1Char('0')));
        m_in.clear(); // no telling where the next packet starts
    };
    while (m_mode == Mode::Obex && !m_in.isEmpty()) {
        const quint8 first = quint8(m_in[0]);
        if (first == '\r') {
            if (!m_expectCr)
                m_anomalies.record(QStringLiteral("modem"), QStringLiteral("CR after %1, which is sent without one")
                                                                .arg(m_lastPacket));
            m_expectCr = false;
            m_in.remove(0, 1);
            continue;
        }
        if (first == '+') {
            // At a packet boundary "+++" returns to command mode at once.
            if (!escape.startsWith(m_in.left(3)))
                return unknown();
            if (m_in.size() < 3)
                return;
            if (m_expectCr)
                m_anomalies.record(QStringLiteral("modem"), QStringLiteral("missing CR after %1").arg(m_lastPacket));
            m_in.remove(0, 3);
            m_mode = Mode::At;
            m_expectCr = false;
            m_obex.reset();
            return;
        }
        if (m_expectCr) {
            m_anomalies.record(QStringLiteral("modem"), QStringLiteral("missing CR after %1").arg(m_lastPacket));
            m_expectCr = false;
        }
        switch (first) {
        case 0x80: case 0x81: case 0x85: case 0x02: case 0x82: case 0x03: case 0x83: case 0xFF:
            break;
        default:
            return unknown();
        }
        if (m_in.size() < 3)
            return;
        const int length = (quint8(m_in[1]) << 8) | quint8(m_in[2]);
        if (length < 3) {
            m_anomalies.record(QStringLiteral("modem"), QStringLiteral("OBEX length field %1").arg(length));
            m_in.clear();
            return;
        }
        if (m_in.size() < length)
            return;
        if (length > obex::phoneMaxPacket)
            m_anomalies.record(QStringLiteral("modem"), QStringLiteral("OBEX packet of %1 bytes, longer than the phone accepts").arg(length));
        const QByteArray packet = m_in.left(length);
        m_in.remove(0, length);
        m_lastPacket = ObexServer::requestName(packet);
        m_expectCr = ObexServer::followedByCr(packet);
        if (silencedAt(m_lastPacket))
            return;
        m_send(m_obex.handle(packet));
    }
}

} // namespace vandrel::phonesim
