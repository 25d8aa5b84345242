// vandrel-cli capture: pictures of the phone's screen; vandrel-cli install: a Java program or a
// theme onto the phone.
#include "cli.h"
#include "cliasker.h"
#include "clilink.h"

#include <link/brewsession.h>
#include <link/installsession.h>
#include <link/phonemodes.h>
#include <picture/picturefile.h>

#include <core/explorer/commandrules.h>

#include <QCoroTask>
#include <QDir>
#include <QFileInfo>

namespace vandrel::cli {
namespace {

// "--count N" taken out of the arguments; 1 when absent, 0 when not a positive number.
int takeCount(QStringList &args)
{
    const qsizetype at = args.indexOf(QStringLiteral("--count"));
    if (at < 0)
        return 1;
    bool ok = false;
    const int n = args.value(at + 1).toInt(&ok);
    args.remove(at, std::min<qsizetype>(2, args.size() - at));
    return ok && n > 0 ? n : 0;
}

// Picture `index` (from 1) of `count`: OUT itself for one, else OUT's name with the number.
QString pictureName(const QString &out, int index, int count)
{
    if (count == 1)
        return out;
    const QFileInfo info(out);
    return info.dir().filePath(QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(index, 3, 10, QLatin1Char('0')).arg(info.suffix()));
}

int runCapture(const GlobalOptions &options, QStringList args)
{
    const int count = takeCount(args);
    if (count == 0 || args.size() != 1) {
        fail(QStringLiteral("capture takes OUT.bmp or OUT.png and an optional --count N (N at least 1)"));
        return UsageError;
    }
    const QString out = args.first();
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix != QLatin1String("bmp") && suffix != QLatin1String("png")) {
        fail(QStringLiteral("capture writes .bmp or .png files, not %1").arg(out));
        return UsageError;
    }
    // Every name is settled before the phone is asked for anything.
    for (int i = 1; i <= count; ++i)
        if (!mayReplace(options, pictureName(out, i, count)))
            return Failure;
    auto phone = openDiag(options);
    if (!phone)
        return Failure;
    link::BrewSession session(*phone);
    for (int i = 1; i <= count; ++i) {
        const auto shot = QCoro::waitFor(session.captureDisplay());
        if (!shot.ok()) {
            phone->closePorts();
            fail(QStringLiteral("capture %1 of %2 failed (%3)").arg(i).arg(count).arg(describeFailure(shot.outcome)));
            return Failure;
        }
        const QString path = pictureName(out, i, count);
        if (const QString problem = picture::savePicture(path, shot.value); !problem.isEmpty()) {
            phone->closePorts();
            fail(problem);
            return Failure;
        }
        notice(QStringLiteral("%1 saved").arg(path));
    }
    phone->closePorts();
    return Success;
}

int runInstall(const GlobalOptions &options, QStringList args)
{
    const bool restart = args.removeAll(QStringLiteral("--restart")) > 0;
    link::InstallRequest request;
    const qsizetype at = args.indexOf(QStringLiteral("--kind"));
    if (at >= 0) {
        const QString kind = args.value(at + 1);
        args.remove(at, std::min<qsizetype>(2, args.size() - at));
        if (kind != QLatin1String("game") && kind != QLatin1String("app")) {
            fail(QStringLiteral("--kind is game or app"));
            return UsageError;
        }
        request.kind = kind == QLatin1String("game") ? install::Kind::Game : install::Kind::Application;
    }
    if (args.size() != 1) {
        fail(QStringLiteral("install takes one FILE.jar, FILE.jad or FILE.sdt"));
        return UsageError;
    }
    const QString file = QFileInfo(args.first()).absoluteFilePath();
    const QString suffix = QFileInfo(file).suffix().toLower();
    if (suffix == QLatin1String("sdt")) {
        if (at >= 0) {
            fail(QStringLiteral("a theme has no --kind"));
            return UsageError;
        }
        request.kind = install::Kind::Theme;
        request.themePath = file;
    } else if (suffix == QLatin1String("jar") || suffix == QLatin1String("jad")) {
        request.jarPath = suffix == QLatin1String("jar") ? file : explorer::jarBesideJad(file);
        request.jadPath = suffix == QLatin1String("jad") ? file : install::jadBesideJar(file);
        if (!QFileInfo::exists(request.jarPath)) {
            fail(QStringLiteral("%1 is not there").arg(QDir::toNativeSeparators(request.jarPath)));
            return Failure;
        }
    } else {
        fail(QStringLiteral("install takes .jar, .jad or .sdt files, not %1").arg(args.first()));
        return UsageError;
    }
    auto phone = openDiag(options);
    if (!phone)
        return Failure;
    link::BrewSession session(*phone);
    link::InstallSession installer(session);
    QObject::connect(&installer, &link::InstallSession::notice, [](const QString &text) { notice(text); });
    const link::Outcome o = QCoro::waitFor(installer.install(request));
    if (!o.ok()) {
        phone->closePorts();
        fail(QStringLiteral("installing %1 failed (%2)").arg(QDir::toNativeSeparators(file), describeFailure(o)));
        return Failure;
    }
    notice(QStringLiteral("%1 installed").arg(QDir::toNativeSeparators(file)));
    if (restart) {
        link::PhoneModes modes(*phone);
        const link::Outcome r = QCoro::waitFor(modes.requestMode(link::PhoneMode::ResetRequest));
        if (!r.ok()) {
            phone->closePorts();
            fail(QStringLiteral("restarting the phone failed (%1)").arg(describeFailure(r)));
            return Failure;
        }
    }
    phone->closePorts();
    return Success;
}

const bool registered = registerCommand({QStringLiteral("install"), QString(), QStringLiteral("FILE.jar|FILE.jad|FILE.sdt [--kind game|app] [--restart]"),
                                         QStringLiteral("install a Java program (as a game unless --kind app) or a theme"),
                                         runInstall}) &&
                        registerCommand({QStringLiteral("capture"), QString(), QStringLiteral("OUT.bmp|OUT.png [--count N]"),
                                         QStringLiteral("take pictures of the phone's display (N: numbered files)"),
                                         runCapture});

} // namespace
} // namespace vandrel::cli
