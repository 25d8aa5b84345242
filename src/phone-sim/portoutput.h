#pragma once
// The way the virtual phone's replies reach the wire: whole or split (seeded random pieces,
// byte by byte), delayed, throttled to a line rate, cut off after N bytes by a dropped link
// or by silence. One per port.
#include <QByteArray>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <functional>

namespace vandrel::phonesim {

class PortOutput : public QObject {
    Q_OBJECT
public:
    enum class Split { Whole, Random, ByteByByte };

    explicit PortOutput(QObject *parent = nullptr);

    // `write` hands bytes to the port; `drop` makes the port's other end see a hang-up.
    void setSink(std::function<bool(const QByteArray &)> write, std::function<void()> drop);

    // Queues a reply; it goes out as the shaping below allows.
    void send(const QByteArray &bytes);

    void setSplit(Split split, quint32 seed = 0);
    void setDelay(int milliseconds) { m_delayMs = milliseconds; }
    // Pause between split pieces; a pseudo-terminal would glue pieces written at once.
    void setPieceGap(int milliseconds) { m_pieceGapMs = milliseconds; }
    // Bits per second at 10 bits per byte; 0 sends at once.
    void setLineRate(int bitsPerSecond) { m_lineRate = bitsPerSecond; }
    // Counted from now; a negative count switches the limit off.
    void dropLinkAfter(qint64 bytes) { m_dropAt = bytes < 0 ? -1 : m_sent + bytes; }
    void goSilentAfter(qint64 bytes) { m_silentAt = bytes < 0 ? -1 : m_sent + bytes; }
    void goSilent() { m_silent = true; m_queue.clear(); }
    void speakAgain() { m_silent = false; m_silentAt = -1; }
    bool isSilent() const { return m_silent; }

    qint64 bytesSent() const { return m_sent; }
    bool idle() const { return m_queue.isEmpty(); }
    // Forgets queued bytes (the link went away).
    void discard() { m_queue.clear(); m_timer.stop(); }
    // The first reply that starts once N more bytes have been sent goes out with these bytes
    // in front of it (a burst of line noise).
    void prefixReplyAfter(qint64 sent, const QByteArray &bytes)
    {
        m_prefixAt = m_sent + m_queue.size() + sent;
        m_prefix = bytes;
    }
    // Once N more bytes have been sent, the port pauses this long (once): the reply, or its
    // rest, comes late.
    void stallAfter(qint64 bytes, int milliseconds)
    {
        m_stallAt = bytes < 0 ? -1 : m_sent + bytes;
        m_stallMs = milliseconds;
    }

signals:
    void linkDropped();

private:
    void pump();
    qsizetype nextChunkSize();

    std::function<bool(const QByteArray &)> m_write;
    std::function<void()> m_drop;
    QByteArray m_queue;
    QTimer m_timer;
    Split m_split = Split::Whole;
    QRandomGenerator m_random;
    int m_delayMs = 0;
    int m_pieceGapMs = 0;
    int m_lineRate = 0;
    qint64 m_lineDebtUs = 0;
    qint64 m_sent = 0;
    qint64 m_dropAt = -1;
    qint64 m_silentAt = -1;
    bool m_silent = false;
    bool m_dropping = false;
    QByteArray m_prefix;
    qint64 m_prefixAt = 0;
    qint64 m_stallAt = -1;
    int m_stallMs = 0;
};

} // namespace vandrel::phonesim
