#pragma once
// The client's phone link wired to an in-process virtual phone that splits its replies at
// random; every test checks the phone saw no request breaking the wire layouts.
#include <link/phonelink.h>
#include <phone-sim/virtualphone.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>

namespace itest {

inline QString scratchTemplate()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return (shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath()) + QStringLiteral("/vphone-XXXXXX");
}

struct PhoneRig {
    QTemporaryDir dir{scratchTemplate()};
    std::unique_ptr<vandrel::phonesim::VirtualPhone> phone;
    vandrel::channel::FakeSerialChannel *modem = nullptr;
    vandrel::channel::FakeSerialChannel *diag = nullptr;
    std::unique_ptr<vandrel::link::PhoneLink> link;

    // `prepare` runs on the empty root before the phone starts (an empty root is seeded).
    explicit PhoneRig(quint32 seed = 1, const std::function<void(const QString &root)> &prepare = {})
    {
        const QString root = dir.path() + QStringLiteral("/phone");
        if (prepare) {
            QDir().mkpath(root);
            prepare(root);
        }
        phone = std::make_unique<vandrel::phonesim::VirtualPhone>(root);
        phone->controls().splitRandomly(seed);
        const auto ends = phone->plugInProcess();
        modem = ends.modem;
        diag = ends.diag;
        link = std::make_unique<vandrel::link::PhoneLink>(modem, diag);
        auto &t = link->timing();
        t.escapePause = std::chrono::milliseconds(1);
        t.replyLimit = std::chrono::milliseconds(2000);
        t.echoLimit = std::chrono::milliseconds(500);
        t.escapeGuard = std::chrono::milliseconds(5);
        t.openRetry = std::chrono::milliseconds(5);
    }

    QStringList log() const
    {
        QStringList out;
        for (const auto &l : link->log().lines())
            out << QString::fromLatin1(l);
        return out;
    }
    QString anomalies() const { return phone->anomalies().join(QLatin1Char('\n')); }
};

} // namespace itest
