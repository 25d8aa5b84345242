#include "clilink.h"

#include <link/connectsession.h>
#include <link/settingsstore.h>

#include <QCoroTask>

namespace vandrel::cli {

std::unique_ptr<link::PhoneLink> makeLink(const GlobalOptions &options)
{
    const settings::AppSettings saved = link::SettingsStore().load();
    auto phone = link::PhoneLink::withSerialPorts();
    phone->port()->setPortName(options.modemPort.isEmpty() ? saved.portName : options.modemPort);
    phone->javaPort()->setPortName(options.diagPort.isEmpty() ? saved.portName2 : options.diagPort);
    phone->port()->setBaudRate(options.speed > 0 ? options.speed : saved.speed);
    phone->javaPort()->setBaudRate(options.speed > 0 ? options.speed : saved.speed2);
    // No retries from the command line: a port that will not open says so at once.
    phone->timing().openTries = 1;
    return phone;
}

QString describeFailure(const link::Outcome &outcome)
{
    if (outcome.isCancelled())
        return QStringLiteral("cancelled");
    QString text = link::describe(outcome.kind);
    if (!outcome.detail.isEmpty())
        text += QStringLiteral(": ") + outcome.detail;
    return text;
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
        fail(QStringLiteral("the phone on %1 does not answer (%2)").arg(phone.port()->portName(), describeFailure(echo)));
        return false;
    }
    return true;
}

} // namespace vandrel::cli
