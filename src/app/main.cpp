// SPDX-License-Identifier: MIT
#include "gui/GuiPrompter.h"
#include "gui/MainWindow.h"
#include "imaging/Picbuf.h"
#include "platform/DesktopBackends.h"
#include "platform/sound/SdlSoundPlayer.h"
#include "queue/FolderQueue.h"
#include "queue/Queue.h"
#include "settings/AppContext.h"
#include "settings/SettingsStore.h"
#include "startup/SingleInstance.h"
#include "startup/StartUp.h"
#include "wallpaper/WallpaperEngine.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QJsonObject>
#include <QScreen>
#include <QSocketNotifier>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// MURALO_CONFIG_DIR (a folder holding Muralo32.ini) keeps test runs away from the user's settings.
QString settingsPath() {
    const QString folder = qEnvironmentVariable("MURALO_CONFIG_DIR");
    if (!folder.isEmpty()) return folder + QStringLiteral("/Muralo32.ini");
    return SettingsStore::defaultPath();
}

QSize primaryScreenSize() {
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->size() : QSize(1024, 768);
}

std::int16_t to16(int value) {
    return static_cast<std::int16_t>(std::clamp(value, 1, 32767));
}

// Termination signals (log-out, kill) close the window in order, so the settings are
// written and the wallpaper cleared when asked, instead of ending the process mid-way.
int g_signalPipe[2] = {-1, -1};

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

void closeOnTerminationSignals(QWidget& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        notifier->setEnabled(false);
        window.close();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

QJsonObject failed(const QString& error) {
    return QJsonObject{{QStringLiteral("ok"), false}, {QStringLiteral("error"), error}};
}

} // namespace

int main(int argc, char** argv) {
    Picbuf::initialize(argv[0]);
    QApplication app(argc, argv);
    app.setApplicationName(AppContext::applicationTitle());
    // The window may live hidden while only tray icons show; closing it is what ends the program.
    app.setQuitOnLastWindowClosed(false);

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

    const QSize screen = primaryScreenSize();
    context.screenWidth = to16(screen.width());
    context.screenHeight = to16(screen.height());
    Queue queue(Queue::Environment{context.programFolder, context.screenWidth, context.screenHeight});
    FolderQueue folder;
    GuiPrompter prompter;

    QString error;
    const QString backendName = settings.read(QStringLiteral("DesktopBackend"), QString());
    std::unique_ptr<DesktopBackend> desktop = platform::makeDesktopBackend(backendName, &error);
    if (!desktop) std::fprintf(stderr, "muralo32: %s\n", qPrintable(error));
    std::unique_ptr<ScreenState> screenState = platform::makeScreenState(backendName, &error);
    SdlSoundPlayer sound([](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); });

    EngineServices services;
    services.settings = &settings;
    services.prompter = &prompter;
    services.desktop = desktop.get();
    services.sound = &sound;
    services.screenSize = [] { return primaryScreenSize(); };
    services.background = WallpaperEngine::backgroundColour(settings);
    WallpaperEngine engine(context, queue, folder, services);

    MainWindowDeps deps;
    deps.app = &context;
    deps.settings = &settings;
    deps.queue = &queue;
    deps.folder = &folder;
    deps.engine = &engine;
    deps.prompter = &prompter;
    deps.screenState = screenState.get();
    MainWindow config(deps);
    prompter.setOwner(&config);

    int activations = 0;
    server.setHandler([&config, &engine, &queue, &activations](const QJsonObject& request) {
        const QString cmd = request.value(QStringLiteral("cmd")).toString();
        auto outcome = [&engine, &config] {
            switch (engine.lastOutcome()) {
            case WallpaperEngine::Outcome::Failed:
            case WallpaperEngine::Outcome::RenderFailed:
                return failed(engine.lastError().isEmpty() ? QStringLiteral("the image could not be displayed")
                                                           : engine.lastError());
            case WallpaperEngine::Outcome::NothingToShow:
                return failed(QStringLiteral("nothing to show: the queue is empty or none of its image files exist"));
            case WallpaperEngine::Outcome::None:
                return failed(QStringLiteral("busy: a change is already running"));
            case WallpaperEngine::Outcome::Applied:
                break;
            }
            return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("current"), config.currentImageText()}};
        };
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
        if (cmd == u"change") {
            // The program changes from its own queue; another one would have to be opened first.
            const QString wanted = request.value(QStringLiteral("queue")).toString();
            if (!wanted.isEmpty() &&
                QFileInfo(wanted).absoluteFilePath() != QFileInfo(queue.currentFile()).absoluteFilePath())
                return failed(QStringLiteral("Muralo32 is running with the queue %1; open %2 there first")
                                  .arg(queue.currentFile(), wanted));
            engine.resetOutcome();
            config.changeWallpaperNow();
            return outcome();
        }
        if (cmd == u"clear") {
            engine.resetOutcome();
            config.clearScreenNow();
            return outcome();
        }
        if (cmd == u"current")
            return QJsonObject{{QStringLiteral("ok"), true}, {QStringLiteral("current"), engine.currentSourceImage()}};
        return failed(QStringLiteral("unknown command"));
    });
    closeOnTerminationSignals(config);
    config.startUp();
    return app.exec();
}
