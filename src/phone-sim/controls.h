#pragma once
// The test controls of the virtual phone, one object for both ports. Every setter returns the
// controls, so a test reads `phone.controls().splitRandomly(7).delayReplies(5)`.
#include "portoutput.h"
#include "rules.h"

namespace vandrel::phonesim {

class Controls {
public:
    enum Port { Modem = 1, Diag = 2, Both = 3 };

    Controls(PortOutput &modem, PortOutput &diag, RequestRules &rules) : m_modem(modem), m_diag(diag), m_rules(rules) {}

    // Replies leave in seeded random pieces (each port its own sequence), byte by byte, or whole.
    Controls &splitRandomly(quint32 seed, Port p = Both);
    Controls &splitByteByByte(Port p = Both);
    Controls &sendWhole(Port p = Both);
    // Every reply starts this much later.
    Controls &delayReplies(int milliseconds, Port p = Both);
    // Bits per second, 10 bits per byte; 0 switches the throttle off.
    Controls &throttleToLineRate(int bitsPerSecond, Port p = Both);
    // The port's other end goes away once N more bytes have been sent (a pulled cable).
    Controls &dropLinkAfter(qint64 bytes, Port p);
    // The port stops answering once N more bytes have been sent; the link stays up.
    Controls &goSilentAfter(qint64 bytes, Port p);
    // The port stops answering at this request and after it. Requests are named by their
    // AT command line in upper case ("AT^SQWE=3"), or "obex connect", "obex setpath",
    // "obex listing", "obex get", "obex continue", "obex memory", "obex put", "obex delete",
    // "obex attributes", "obex move", or "diag list folders", "diag list files", "diag read",
    // "diag write", "diag mkdir", "diag rmdir", "diag remove", "diag free space", "diag mode",
    // "diag capture".
    Controls &goSilentAt(const QString &request);
    Controls &speakAgain(Port p = Both);
    // ERROR instead of the answer, until cleared: the whole command line ("AT+CGMI").
    Controls &answerErrorTo(const QString &atCommand);
    Controls &clearErrorAnswers();
    // Diagnostic port: the next read or write request is refused (14 04 / 14 05), the next
    // reply carries a broken check value.
    Controls &refuseNextRead(int count = 1);
    Controls &refuseNextWrite(int count = 1);
    Controls &breakNextCrc(int count = 1);
    // Messages: the next AT+CMGS is answered "+CMS ERROR: code" after its PDU; the "> "
    // prompt never comes, or comes this much later; "+CMGS: n" and OK come this much later;
    // the next N AT+CMGD of a stored message get "+CMS ERROR: 302".
    Controls &failNextSend(int cmsError);
    Controls &withholdPrompt(bool on = true);
    Controls &delayPrompt(int milliseconds);
    Controls &delaySendAnswer(int milliseconds);
    Controls &refuseNextDelete(int count = 1);
    // The first reply on the port that starts once N more bytes have been sent comes after a
    // garbage frame: bytes that are neither a line nor a packet nor a frame with a valid check
    // value.
    Controls &sendGarbageBeforeReplyAfter(qint64 bytes, Port p);
    // Once N more bytes have been sent the port pauses, once: a reply, or its rest, comes late.
    Controls &stallAfter(qint64 bytes, int milliseconds, Port p);
    // A write refused part-way leaves the bytes received so far on the phone, as a real
    // phone may, so only the client's own removal request cleans up.
    Controls &keepPartialWrites(bool on = true);

private:
    template <typename F>
    Controls &each(Port p, F f)
    {
        if (p & Modem)
            f(m_modem);
        if (p & Diag)
            f(m_diag);
        return *this;
    }

    PortOutput &m_modem;
    PortOutput &m_diag;
    RequestRules &m_rules;
};

} // namespace vandrel::phonesim
