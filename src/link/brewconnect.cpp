#include "brewconnect.h"

#include <QPointer>

namespace vandrel::link {

QCoro::Task<Result<BrewFolder>> connectBrewAndList(PhoneLink &link, ConnectSession &session, BrewSession &brew,
                                                   QString path, std::chrono::milliseconds silence)
{
    QPointer<BrewSession> self(&brew);
    link.log().clear();
    const Outcome opened = co_await session.openPort();
    if (!self)
        co_return Result<BrewFolder>::from(Outcome::cancelled());
    if (!opened.ok())
        co_return Result<BrewFolder>::from(opened);

    // A timer on silence: every byte from the phone starts it again.
    QTimer &timer = link.diagSilenceTimer();
    bool silent = false;
    timer.setSingleShot(true);
    timer.setInterval(silence);
    const auto restart = QObject::connect(&link.reader(PhoneLink::Port::Diag), &ReplyReader::changed, &timer,
                                          [&timer] { timer.start(); });
    const auto expire = QObject::connect(&timer, &QTimer::timeout, &brew, [&brew, &silent] {
        silent = true;
        brew.cancelWait();
    });
    timer.start();
    auto folder = co_await brew.listBrewFolder(path, true);
    QObject::disconnect(restart);
    QObject::disconnect(expire);
    timer.stop();
    if (silent && folder.outcome.isCancelled())
        co_return Result<BrewFolder>::from(
            Outcome::failed(FailureKind::TimeOut, QStringLiteral("The phone does not answer on the diagnostic port.")));
    co_return folder;
}

} // namespace vandrel::link
