#pragma once
// Feeding a reply-reader framer (diag::diagFrameLength, obex::obexPacketLength) the three ways
// every receive path must survive: all at once, one byte at a time, and followed by trailing
// bytes that must stay pending untouched. Bytes are taken the way the link's reply reader
// takes them: appended as they arrive, every complete item cut off the front at once.
#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <functional>

namespace feedtest {

enum class Split { Whole, ByteByByte, Trailing };

inline const QList<Split> &allSplits()
{
    static const QList<Split> s{Split::Whole, Split::ByteByByte, Split::Trailing};
    return s;
}

inline const char *splitName(Split s)
{
    switch (s) {
    case Split::Whole:
        return "all at once";
    case Split::ByteByByte:
        return "one byte at a time";
    case Split::Trailing:
        return "with trailing bytes";
    }
    return "";
}

struct Fed {
    QList<QByteArray> items;
    QByteArray pending;
};

// The length of the complete item at the start of the buffer, 0 while incomplete.
using Framer = std::function<qsizetype(const QByteArray &buffer)>;

// Receives `bytes` into `buffer` and takes every complete item off its front.
inline void receive(Fed &out, const QByteArray &bytes, const Framer &framer)
{
    out.pending += bytes;
    while (const qsizetype n = framer(out.pending)) {
        out.items.append(out.pending.first(n));
        out.pending.remove(0, n);
    }
}

// Applies a framer to a buffer until it reports nothing complete.
inline Fed frameAll(const QByteArray &buffer, const Framer &framer)
{
    Fed out;
    receive(out, buffer, framer);
    return out;
}

// `trailing` must not complete an item for the framer; it is fed only in Split::Trailing.
inline Fed feed(const Framer &framer, const QByteArray &input, Split split, const QByteArray &trailing)
{
    Fed out;
    switch (split) {
    case Split::Whole:
        receive(out, input, framer);
        break;
    case Split::ByteByByte:
        for (qsizetype i = 0; i < input.size(); ++i)
            receive(out, input.sliced(i, 1), framer);
        break;
    case Split::Trailing:
        receive(out, input + trailing, framer);
        break;
    }
    return out;
}

// Cuts `input` at random places, as serial drivers do.
inline Fed feedRandomly(const Framer &framer, const QByteArray &input, quint32 seed)
{
    QRandomGenerator rng(seed);
    Fed out;
    for (qsizetype at = 0; at < input.size();) {
        const qsizetype n = qMin<qsizetype>(input.size() - at, 1 + rng.bounded(70));
        receive(out, input.sliced(at, n), framer);
        at += n;
    }
    return out;
}

inline QByteArray randomBytes(QRandomGenerator &rng, qsizetype n)
{
    QByteArray b(n, '\0');
    for (char &c : b)
        c = char(rng.bounded(256));
    return b;
}

} // namespace feedtest
