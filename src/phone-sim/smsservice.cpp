#include "smsservice.h"

#include <optional>
#include <utility>

namespace vandrel::phonesim {

namespace {
constexpr char ctrlZ = 0x1A;
constexpr char esc = 0x1B;
constexpr int longestTyped = 1024; // a PDU is at most 176 octets
// +CMS ERROR codes
constexpr int operationNotAllowed = 302;
constexpr int invalidPduParameter = 304;
constexpr int invalidIndex = 321;

std::optional<int> number(const QByteArray &text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

bool pduCharacters(QByteArrayView bytes)
{
    for (const char c : bytes)
        if (c != '\r' && c != '\n' && c != ctrlZ && c != esc)
            return true;
    return false;
}

} // namespace

SmsService::SmsService(const QString &storeFile, RequestRules &rules, AnomalyLog &anomalies,
                       std::function<void(const QByteArray &)> send)
    : m_rules(rules), m_anomalies(anomalies), m_send(std::move(send)), m_store(storeFile)
{
}

void SmsService::reset()
{
    m_typing = {};
    m_indications = false;
    ++m_generation;
}

void SmsService::later(int milliseconds, std::function<void()> f)
{
    if (milliseconds <= 0 || !m_later)
        return f();
    m_later(milliseconds, [this, generation = m_generation, f = std::move(f)] {
        if (generation == m_generation)
            f();
    });
}

void SmsService::answer(const QByteArray &information, bool ok)
{
    QByteArray out;
    if (!information.isEmpty())
        out += QByteArrayLiteral("\r\n") + information + QByteArrayLiteral("\r\n");
    out += ok ? QByteArrayLiteral("\r\nOK\r\n") : QByteArrayLiteral("\r\nERROR\r\n");
    m_send(out);
}

void SmsService::cmsError(int code)
{
    m_send(QByteArrayLiteral("\r\n+CMS ERROR: ") + QByteArray::number(code) + QByteArrayLiteral("\r\n"));
}

bool SmsService::command(const QByteArray &command, const QByteArray &typed)
{
    const qsizetype eq = command.indexOf('=');
    const QByteArray name = eq < 0 ? command : command.left(eq);
    const QByteArray argument = eq < 0 ? QByteArray() : command.mid(eq + 1);
    if (name == "+CMGF") {
        // PDU mode is the only one this phone offers.
        if (command == "+CMGF?")
            answer("+CMGF: 0", true);
        else
            answer({}, argument.trimmed() == "0");
    } else if (name == "+CSCA" || command == "+CSCA?") {
        setCentre(command, typed);
    } else if (name == "+CNMI") {
        // Notices need a mode that forwards them and new messages stored with an indication.
        const QList<QByteArray> fields = argument.split(',');
        m_indications = number(fields.value(0)).value_or(0) > 0 && number(fields.value(1)).value_or(0) == 1;
        answer({}, true);
    } else if (name == "+CMGL") {
        list(argument);
    } else if (name == "+CMGR") {
        read(argument);
    } else if (name == "+CMGD") {
        remove(argument);
    } else if (name == "+CMGS") {
        startSend(argument);
    } else {
        return false;
    }
    return true;
}

void SmsService::setCentre(const QByteArray &command, const QByteArray &typed)
{
    if (command == "+CSCA?")
        return answer("+CSCA: \"" + m_centre.toLatin1() + "\",145", true);
    const QByteArray value = typed.mid(typed.indexOf('=') + 1).split(',').value(0).trimmed();
    const QByteArray inner = value.mid(1, value.size() - 2);
    bool digits = !inner.isEmpty();
    for (qsizetype i = 0; i < inner.size(); ++i)
        digits = digits && ((inner[i] >= '0' && inner[i] <= '9') || (i == 0 && inner[i] == '+'));
    if (value.size() < 3 || !value.startsWith('"') || !value.endsWith('"') || !digits) {
        m_anomalies.record(QStringLiteral("modem"),
                           QStringLiteral("AT+CSCA without a quoted number: %1").arg(QString::fromLatin1(typed)));
        return answer({}, false);
    }
    m_centre = QString::fromLatin1(inner);
    answer({}, true);
}

QByteArray SmsService::entry(const QByteArray &tag, const StoredMessage &m, bool withIndex) const
{
    const int tpdu = int(m.pdu.size() / 2) - sms::centreOctetsOf(m.pdu);
    const QByteArray index = withIndex ? QByteArray::number(m.index) + ',' : QByteArray();
    return tag + index + QByteArray::number(m.state) + ",," + QByteArray::number(tpdu) + "\r\n" + m.pdu;
}

void SmsService::list(const QByteArray &argument)
{
    const int state = argument.isEmpty() ? int(StoredMessage::ReceivedUnread) : number(argument).value_or(-1);
    if (state < 0 || state > StoredMessage::AnyState) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("AT+CMGL with the state \"%1\"").arg(QString::fromLatin1(argument)));
        return answer({}, false);
    }
    const QList<StoredMessage> messages = m_store.list(state);
    QByteArrayList entries;
    for (const StoredMessage &m : messages)
        entries.append(entry("+CMGL: ", m, true));
    // Listed unread messages have been seen now.
    m_store.markRead(messages);
    answer(entries.join("\r\n"), true);
}

void SmsService::read(const QByteArray &argument)
{
    const auto index = number(argument);
    if (!index)
        return answer({}, false);
    const auto m = m_store.at(*index);
    if (!m)
        return cmsError(invalidIndex);
    m_store.markRead({*m});
    answer(entry("+CMGR: ", *m, false), true);
}

void SmsService::remove(const QByteArray &argument)
{
    const QList<QByteArray> fields = argument.split(',');
    const auto index = number(fields.value(0));
    if (!index || (fields.size() > 1 && number(fields[1]).value_or(-1) != 0))
        return answer({}, false);
    if (!m_store.at(*index))
        return cmsError(invalidIndex);
    if (m_rules.refuseDeletes > 0) {
        --m_rules.refuseDeletes;
        return cmsError(operationNotAllowed);
    }
    m_store.remove(*index);
    answer({}, true);
}

void SmsService::startSend(const QByteArray &argument)
{
    const auto length = number(argument);
    if (!length || *length < 1 || *length > 175)
        return answer({}, false);
    m_typing = {};
    m_typing.active = true;
    m_typing.length = *length;
    if (m_rules.withholdPrompt)
        return;
    if (m_rules.promptDelayMs > 0)
        later(m_rules.promptDelayMs, [this] {
            if (m_typing.active && !m_typing.promptSent)
                sendPrompt();
        });
    else
        m_typing.promptDue = true; // sent as soon as the port has looked at what is already here
}

void SmsService::sendPrompt()
{
    m_typing.promptSent = true;
    m_send(QByteArrayLiteral("\r\n> "));
}

void SmsService::notePduBeforePrompt()
{
    if (std::exchange(m_typing.early, true))
        return;
    m_anomalies.record(QStringLiteral("modem"), QStringLiteral("PDU before the prompt of AT+CMGS=%1").arg(m_typing.length));
}

void SmsService::feedTyped(QByteArray &in, bool echo)
{
    if (m_typing.promptDue) {
        m_typing.promptDue = false;
        // Whatever came with the command line was sent before the prompt could be seen.
        if (pduCharacters(in))
            notePduBeforePrompt();
        sendPrompt();
    }
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c == ctrlZ || c == esc) {
            if (echo)
                m_send(in.left(i));
            in.remove(0, i + 1);
            m_typing.active = false;
            if (c == ctrlZ)
                finishSend();
            else
                answer({}, true); // the message is abandoned
            return;
        }
        if (c == '\r' || c == '\n')
            continue;
        if (!m_typing.promptSent)
            notePduBeforePrompt();
        m_typing.pdu.append(c);
    }
    if (echo)
        m_send(in);
    in.clear();
    if (m_typing.pdu.size() > longestTyped) {
        m_anomalies.record(QStringLiteral("modem"), QStringLiteral("a message PDU without Ctrl-Z"));
        m_typing.active = false;
        answer({}, false);
    }
}

void SmsService::finishSend()
{
    const QByteArray pdu = m_typing.pdu;
    const sms::ParsedSubmit parsed = sms::parseSubmit(pdu);
    QString fault;
    if (parsed.centreOctets > 0 && parsed.tpduOctets != m_typing.length)
        fault = QStringLiteral("AT+CMGS=%1 announced a TPDU of %2 octets").arg(m_typing.length).arg(parsed.tpduOctets);
    else if (!parsed.error.isEmpty())
        fault = QStringLiteral("AT+CMGS with %1").arg(parsed.error);
    if (!fault.isEmpty()) {
        m_anomalies.record(QStringLiteral("modem"), fault + QStringLiteral(": ") + QString::fromLatin1(pdu.left(400)));
        return cmsError(invalidPduParameter);
    }
    if (m_rules.sendError > 0)
        return cmsError(std::exchange(m_rules.sendError, 0));
    const int reference = m_nextReference;
    m_nextReference = (m_nextReference + 1) % 256;
    m_sent.append({pdu, reference, parsed});
    m_anomalies.recordSent(QString::fromLatin1(pdu));
    later(m_rules.sendAnswerDelayMs, [this, reference] { answer("+CMGS: " + QByteArray::number(reference), true); });
}

QList<int> SmsService::receive(const QString &from, const QString &text, const QDateTime &time)
{
    const QStringList parts = sms::splitIntoParts(text);
    sms::Deliver d;
    d.from = from;
    d.time = time;
    if (parts.size() > 1) {
        d.concat.reference = m_nextConcatReference;
        d.concat.parts = int(parts.size());
        m_nextConcatReference = (m_nextConcatReference + 1) % 256;
    }
    QList<int> indexes;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        d.text = parts[i];
        d.concat.part = parts.size() > 1 ? int(i + 1) : 0;
        const int index = m_store.add(StoredMessage::ReceivedUnread, sms::deliverPdu(d));
        if (index < 0)
            break;
        indexes.append(index);
    }
    return indexes;
}

} // namespace vandrel::phonesim
