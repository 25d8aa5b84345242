#pragma once
// The replaying phone: answers on two pseudo-terminals as a recorded phone did, so a recorded
// session can be run again against the program.
#include "ptychannel.h"

#include <core/text/transcript.h>

namespace vandrel::phonesim {

class ReplayPhone : public QObject {
    Q_OBJECT
public:
    explicit ReplayPhone(const QList<text::TranscriptEntry> &recorded, QObject *parent = nullptr);
    // Removes the links it made.
    ~ReplayPhone() override;

    // Opens both pseudo-terminals and makes the links to them; false and `error` on failure.
    bool serve(const QString &modemLink, const QString &diagLink, QString *error);

private:
    struct Port {
        Port(const char *n, const QList<text::TranscriptEntry> &recorded, text::TranscriptEntry::Port which)
            : name(n), replay(recorded, which)
        {
        }
        const char *name;
        text::TranscriptReplay replay;
        PtyChannel channel;
    };
    void answer(Port &port);

    Port m_modem;
    Port m_diag;
    QStringList m_links;
};

} // namespace vandrel::phonesim
