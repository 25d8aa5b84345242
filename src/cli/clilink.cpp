#include "clilink.h"

#include <link/connectsession.h>
#include <link/recordingchannel.h>
#include <link/settingsstore.h>

#include <QCoroTask>

namespace vandrel::cli {

std::unique_ptr<link::PhoneLink> makeLink(const GlobalOptions &options)
{
    const settings::AppSettings saved = link::SettingsStore().load();
    auto phone = options.transcript ? link::recordedSerialLink(options.transcript) : link::PhoneLink::withSerialPorts();
    phone->modemPort()->setPortName(options.modemPort.isEmpty() ? saved.portName : options.modemPort);
    phone->diagPort()->setPortName(options.diagPort.isEmpty() ? saved.portName2 : options.diagPort);
    phone->modemPort()->setBaudRate(options.speed > 0 ? options.speed : saved.speed);
    phone->diagPort()->setBaudRate(options.speed > 0 ? options.speed : saved.speed2);
    // No retries from the command line: a port that will not open says so at once.
    phone->timing().openTries = 1;
    return phone;
}

QString describeFailure(const link::Outcome &outcome)
{
    if (outcome.isCancelled())
        return QStringLiteral("cancelled");
    QString text = link::describe(outcome.kind);
    QString detail = outcome.detail;
    switch (outcome.wording) {
    case link::Wording::None: break;
    case link::Wording::NotEnoughSpace: detail = QStringLiteral("not enough free space"); break;
    case link::Wording::CannotOpenFile: detail = QStringLiteral("cannot open the file %1").arg(outcome.detail); break;
    case link::Wording::NoSuchPhoneFile: detail = QStringLiteral("the phone has no file %1").arg(outcome.detail); break;
    }
    if (!detail.isEmpty())
        text += QStringLiteral(": ") + detail;
    return text;
}

std::unique_ptr<link::PhoneLink> openDiag(const GlobalOptions &options)
{
    auto phone = makeLink(options);
    link::ConnectSession session(*phone, link::ConnectMode::DiagOnly, false);
    const link::Outcome opened = QCoro::waitFor(session.openPort());
    if (!opened.ok()) {
        fail(session.lastOpenError().message.isEmpty() ? describeFailure(opened) : session.lastOpenError().message);
        return nullptr;
    }
    return phone;
}

bool connectModem(link::PhoneLink &phone, bool notices)
{
    link::ConnectSession session(phone, link::ConnectMode::Obex, notices);
    const link::Outcome opened = QCoro::waitFor(session.openPort());
    if (!opened.ok()) {
        fail(session.lastOpenError().message.isEmpty() ? describeFailure(opened) : session.lastOpenError().message);
        return false;
    }
    const link::Outcome echo = QCoro::waitFor(session.echoAndNotices());
    if (!echo.ok()) {
        fail(QStringLiteral("the phone on %1 does not answer (%2)").arg(phone.modemPort()->portName(), describeFailure(echo)));
        return false;
    }
    return true;
}

} // namespace vandrel::cli
