// SPDX-License-Identifier: MIT
#include "app/AppContext.h"
#include "app/SettingsStore.h"
#include "app/SingleInstance.h"
#include "app/StartUp.h"
#include "app/TConfig.h"

#include <QApplication>
#include <QJsonObject>

#include <cstdio>
#include <optional>

namespace {

// MURALO_CONFIG_DIR (a folder holding Muralo32.ini) keeps test runs away from the user's settings.
QString settingsPath() {
    const QString folder = qEnvironmentVariable("MURALO_CONFIG_DIR");
    if (!folder.isEmpty()) return folder + QStringLiteral("/Muralo32.ini");
    return SettingsStore::defaultPath();
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setApplicationName(AppContext::applicationTitle());

    const QStringList arguments = QCoreApplication::arguments();
    std::optional<QString> queueArg;
    if (arguments.size() > 1) queueArg = arguments.at(1);

    SettingsStore settings(settingsPath());
    InstanceServer server;
    AppContext context;
    const bool run = StartUp::run(context, settings, QCoreApplication::applicationFilePath(), queueArg, [&server] {
        switch (claimInstance(server, QJsonObject{{QStringLiteral("cmd"), QStringLiteral("activate")}})) {
        case InstanceClaim::First:
            return false;
        case InstanceClaim::HandedOver:
            return true;
        case InstanceClaim::Unavailable:
            break;
        }
        std::fputs("muralo32: cannot claim the single-instance channel; running without it\n", stderr);
        return false;
    });
    if (!run) return 0;

    TConfig config;
    config.setWindowTitle(context.title);
    int activations = 0;
    server.setHandler([&config, &activations](const QJsonObject& request) {
        const QString cmd = request.value(QStringLiteral("cmd")).toString();
        if (cmd == u"activate") {
            config.showNormal();
            config.raise();
            config.activateWindow();
            ++activations;
            return QJsonObject{{QStringLiteral("ok"), true}};
        }
        if (cmd == u"ping") {
            return QJsonObject{{QStringLiteral("ok"), true},
                               {QStringLiteral("pid"), QCoreApplication::applicationPid()},
                               {QStringLiteral("activations"), activations}};
        }
        return QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), QStringLiteral("unknown command")}};
    });
    config.show();
    return app.exec();
}
