#pragma once
// Feeding a stream engine (frame splitter, response assembler) the three ways every receive
// path must survive: all at once, one byte at a time, and followed by trailing bytes that must
// stay pending untouched.
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

// `trailing` must not complete an item for the engine; it is fed only in Split::Trailing.
template<typename Engine>
Fed feed(const QByteArray &input, Split split, const QByteArray &trailing)
{
    Engine engine;
    Fed out;
    auto drain = [&] {
        while (auto item = engine.next())
            out.items.append(*item);
    };
    switch (split) {
    case Split::Whole:
        engine.feed(input);
        drain();
        break;
    case Split::ByteByByte:
        for (qsizetype i = 0; i < input.size(); ++i) {
            engine.feed(input.sliced(i, 1));
            drain();
        }
        break;
    case Split::Trailing:
        engine.feed(input + trailing);
        drain();
        break;
    }
    out.pending = engine.pending();
    return out;
}

// Cuts `input` at random places, as serial drivers do.
template<typename Engine>
Fed feedRandomly(const QByteArray &input, quint32 seed)
{
    QRandomGenerator rng(seed);
    Engine engine;
    Fed out;
    for (qsizetype at = 0; at < input.size();) {
        const qsizetype n = qMin<qsizetype>(input.size() - at, 1 + rng.bounded(70));
        engine.feed(input.sliced(at, n));
        at += n;
        while (auto item = engine.next())
            out.items.append(*item);
    }
    out.pending = engine.pending();
    return out;
}

// Applies a reply-reader framer to a buffer until it reports nothing complete.
inline Fed frameAll(QByteArray buffer, const std::function<qsizetype(const QByteArray &)> &framer)
{
    Fed out;
    while (const qsizetype n = framer(buffer)) {
        out.items.append(buffer.first(n));
        buffer.remove(0, n);
    }
    out.pending = buffer;
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
