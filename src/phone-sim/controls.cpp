#include "controls.h"

namespace vandrel::phonesim {

Controls &Controls::splitRandomly(quint32 seed, Port p)
{
    if (p & Modem)
        m_modem.setSplit(PortOutput::Split::Random, seed);
    if (p & Diag)
        m_diag.setSplit(PortOutput::Split::Random, seed ^ 0x5EEDu);
    return *this;
}

Controls &Controls::splitByteByByte(Port p)
{
    return each(p, [](PortOutput &o) { o.setSplit(PortOutput::Split::ByteByByte); });
}

Controls &Controls::sendWhole(Port p)
{
    return each(p, [](PortOutput &o) { o.setSplit(PortOutput::Split::Whole); });
}

Controls &Controls::delayReplies(int milliseconds, Port p)
{
    return each(p, [milliseconds](PortOutput &o) { o.setDelay(milliseconds); });
}

Controls &Controls::throttleToLineRate(int bitsPerSecond, Port p)
{
    return each(p, [bitsPerSecond](PortOutput &o) { o.setLineRate(bitsPerSecond); });
}

Controls &Controls::dropLinkAfter(qint64 bytes, Port p)
{
    return each(p, [bytes](PortOutput &o) { o.dropLinkAfter(bytes); });
}

Controls &Controls::goSilentAfter(qint64 bytes, Port p)
{
    return each(p, [bytes](PortOutput &o) { o.goSilentAfter(bytes); });
}

Controls &Controls::goSilentAt(const QString &request)
{
    if (request.startsWith(QLatin1String("diag ")))
        m_rules.silentAtDiag.insert(request);
    else
        m_rules.silentAtModem.insert(request.startsWith(QLatin1String("obex ")) ? request : request.toUpper());
    return *this;
}

Controls &Controls::speakAgain(Port p)
{
    if (p & Modem)
        m_rules.silentAtModem.clear();
    if (p & Diag)
        m_rules.silentAtDiag.clear();
    return each(p, [](PortOutput &o) { o.speakAgain(); });
}

Controls &Controls::answerErrorTo(const QString &atCommand)
{
    m_rules.errorCommands.insert(atCommand.toUpper());
    return *this;
}

Controls &Controls::clearErrorAnswers()
{
    m_rules.errorCommands.clear();
    return *this;
}

Controls &Controls::refuseNextRead(int count)
{
    m_rules.refuseReads = count;
    return *this;
}

Controls &Controls::refuseNextWrite(int count)
{
    m_rules.refuseWrites = count;
    return *this;
}

Controls &Controls::breakNextCrc(int count)
{
    m_rules.badCrcAnswers = count;
    return *this;
}

Controls &Controls::failNextSend(int cmsError)
{
    m_rules.sendError = cmsError;
    return *this;
}

Controls &Controls::withholdPrompt(bool on)
{
    m_rules.withholdPrompt = on;
    return *this;
}

Controls &Controls::delayPrompt(int milliseconds)
{
    m_rules.promptDelayMs = milliseconds;
    return *this;
}

Controls &Controls::delaySendAnswer(int milliseconds)
{
    m_rules.sendAnswerDelayMs = milliseconds;
    return *this;
}

Controls &Controls::refuseNextDelete(int count)
{
    m_rules.refuseDeletes = count;
    return *this;
}

Controls &Controls::sendGarbageBeforeReplyAfter(qint64 bytes, Port p)
{
    static const QByteArray garbage = QByteArrayLiteral("\x13\xA5\x00\xFF\x5Agarbage\x7D\x7E\xC0\x01\x7E");
    return each(p, [bytes](PortOutput &o) { o.prefixReplyAfter(bytes, garbage); });
}

Controls &Controls::stallAfter(qint64 bytes, int milliseconds, Port p)
{
    return each(p, [bytes, milliseconds](PortOutput &o) { o.stallAfter(bytes, milliseconds); });
}

Controls &Controls::keepPartialWrites(bool on)
{
    m_rules.keepPartialWrites = on;
    return *this;
}

} // namespace vandrel::phonesim
