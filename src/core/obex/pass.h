#pragma once
// The OBEX exchanges of a pass up to the folder listing: connect, the set-path walk, the
// memory-size queries, the listing with its continuation GETs; and the pass that runs them in
// that order. Each engine takes whole replies (cut by replyLength) and says what comes next.
#include "core/explorer/direntry.h"
#include "packets.h"
#include "step.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace vandrel::obex {

struct MemorySizes {
    bool queried = false;
    quint32 freeSpace = 0;  // answer to query code 2
    quint32 second = 0;     // answer to query code 1
};

// The top-level folder a path starts in, when it has memory to ask about.
std::optional<MemoryRoot> memoryRootOf(const QStringList &path);

// The connect request and its accepted reply.
class Connector {
public:
    explicit Connector(Acceptance acceptance = Acceptance::Explorer) : m_acceptance(acceptance) {}
    Next start();
    // Done, Refused, PhoneError or Ignored.
    Next onReply(QByteArrayView reply);

private:
    Acceptance m_acceptance;
};

// One set-path request per name, from where the phone stands. "Not found" and "forbidden" both
// mean the folder is not there.
class PathWalker {
public:
    explicit PathWalker(Acceptance acceptance = Acceptance::Explorer) : m_acceptance(acceptance) {}
    // Send (the first name), Done for no names, Invalid for a name no request can carry.
    Next start(QStringList names);
    // Send (the next name), Done, NotFound, Malformed, PhoneError or Ignored.
    Next onReply(QByteArrayView reply);
    // The folder being entered.
    QString name() const { return m_names.value(m_at); }

private:
    Next request();

    Acceptance m_acceptance;
    QStringList m_names;
    qsizetype m_at = 0;
};

// The memory sizes of "\mmc" or "\user": query code 2 (the free space), then code 1.
class MemoryQuery {
public:
    Next start(MemoryRoot root);
    // Send (the second query), Done, Malformed, PhoneError or Ignored.
    Next onReply(QByteArrayView reply);
    const MemorySizes &sizes() const { return m_sizes; }

private:
    MemoryRoot m_root = MemoryRoot::Mmc;
    int m_asked = 2;
    MemorySizes m_sizes;
};

// The folder-listing GET, a continuation GET after every packet the phone continues, and the
// text of all packets parsed at the end.
class FolderLister {
public:
    Next start();
    // Send (the continuation), Done, NotFound, Refused, Malformed, PhoneError or Ignored.
    Next onReply(QByteArrayView reply);
    const QList<explorer::DirEntry> &entries() const { return m_entries; }
    bool lenient() const { return m_lenient; }

private:
    QByteArray m_body;
    QList<explorer::DirEntry> m_entries;
    bool m_lenient = false;
};

struct PassPlan {
    bool connect = true;
    QStringList path;                  // folders to enter, from where the phone stands
    std::optional<MemoryRoot> memory;  // sizes to ask after the walk
    bool listing = true;               // the folder listing at the end
};

// The steps of a plan in their order, each by its engine.
class Pass {
public:
    enum class Phase { Connect, Walk, Memory, Listing, Finished };

    explicit Pass(Acceptance acceptance = Acceptance::Explorer);
    // The first request, or Done for an empty plan, or Invalid.
    Next start(PassPlan plan);
    // Whatever the engine of the phase says; its Done moves on to the next phase.
    Next onReply(QByteArrayView reply);

    Phase phase() const { return m_phase; }
    // Phase Walk: the folder being entered.
    QString walkName() const { return m_walker.name(); }
    const MemorySizes &memory() const { return m_memory.sizes(); }
    const QList<explorer::DirEntry> &entries() const { return m_lister.entries(); }
    bool lenient() const { return m_lister.lenient(); }

private:
    // Starts the first phase after `done` that has work, or finishes.
    Next after(Phase done);

    PassPlan m_plan;
    Phase m_phase = Phase::Finished;
    Connector m_connector;
    PathWalker m_walker;
    MemoryQuery m_memory;
    FolderLister m_lister;
};

} // namespace vandrel::obex
