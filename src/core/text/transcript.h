#pragma once
// Traffic transcripts: every byte that went over the two ports, one line per piece, so a
// session can be read by a person and answered again by the virtual phone.
//
//   # vandrel transcript 1
//   <ms since start> <modem|diag> <direction> <hex bytes, two digits each, space separated>
//
// Direction ">" is written to the phone, "<" is read from it. A piece with no bytes ends after
// the direction. Lines starting with "#" and empty lines are comments.
#include <QByteArray>
#include <QList>
#include <optional>

namespace vandrel::text {

struct TranscriptEntry {
    enum class Port { Modem, Diag };
    enum class Direction { ToPhone, FromPhone };
    qint64 milliseconds = 0;
    Port port = Port::Modem;
    Direction direction = Direction::ToPhone;
    QByteArray bytes;
    friend bool operator==(const TranscriptEntry &, const TranscriptEntry &) = default;
};

// The first line of every transcript.
QByteArray transcriptHeader();
// One entry as a line, without the line end.
QByteArray formatTranscriptLine(const TranscriptEntry &entry);
// Nothing for a line that is not an entry (a comment, or malformed).
std::optional<TranscriptEntry> parseTranscriptLine(QByteArrayView line);
// Every entry of a whole transcript; malformed lines are counted in `badLines` when given.
QList<TranscriptEntry> parseTranscript(const QByteArray &text, int *badLines = nullptr);

// Answers as a recorded phone did on one port: the bytes read back after each run of writes.
// Requests are matched by content in order, however they arrive split.
class TranscriptReplay {
public:
    TranscriptReplay(const QList<TranscriptEntry> &entries, TranscriptEntry::Port port);

    // What to send back for the bytes just received (often nothing yet). After a request that
    // differs from the recording it answers nothing more and mismatched() is true.
    QByteArray receive(QByteArrayView bytes);
    bool mismatched() const { return m_mismatch; }
    // The unmatched bytes that stopped the replay, and the request that was expected.
    QByteArray unexpected() const { return m_received; }
    QByteArray expected() const;
    bool finished() const { return m_next >= m_steps.size(); }

private:
    struct Step {
        QByteArray request;
        QByteArray reply;
    };
    QList<Step> m_steps;
    qsizetype m_next = 0;
    QByteArray m_received;
    bool m_mismatch = false;
};

} // namespace vandrel::text
