// SPDX-License-Identifier: MIT
// The composition root: builds the settings, runs the start-up, makes the queue, the desktop
// services, the engine and the window, and answers later starts on the single-instance channel.
#include "gui/GuiPrompter.h"
#include "gui/InstanceCommands.h"
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
bool g_closeRequested = false;

void onTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

void closeOnTerminationSignals(QWidget& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window] {
        char byte = 0;
        [[maybe_unused]] const auto got = ::read(g_signalPipe[0], &byte, 1);
        // The first signal closes in order; one that comes after (the close itself may be
        // waiting on something) ends the event loop at once.
        if (!g_closeRequested) {
            g_closeRequested = true;
            window.close();
        } else {
            QCoreApplication::exit(0);
        }
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

// Runs the start-up; false when this process should end at once (another instance took the
// request, or the start-up said so).
bool startUp(AppContext& context, SettingsStore& settings, InstanceServer& server) {
    const QStringList arguments = QCoreApplication::arguments();
    std::optional<QString> queueArg;
    if (arguments.size() > 1) queueArg = arguments.at(1);
    return StartUp::run(context, settings, QCoreApplication::applicationFilePath(), queueArg, [&server] {
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
}

// The desktop, its screen state and the sound player, as the settings choose them.
struct DesktopServices {
    explicit DesktopServices(SettingsStore& settings) {
        QString error;
        const QString backendName = settings.read(QStringLiteral("DesktopBackend"), QString());
        desktop = platform::makeDesktopBackend(backendName, &error);
        if (!desktop) std::fprintf(stderr, "muralo32: %s\n", qPrintable(error));
        screenState = platform::makeScreenState(backendName, &error);
    }

    std::unique_ptr<DesktopBackend> desktop;
    std::unique_ptr<ScreenState> screenState;
    SdlSoundPlayer sound{[](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); }};
};

EngineServices engineServices(SettingsStore& settings, GuiPrompter& prompter, DesktopServices& desktop) {
    EngineServices services;
    services.settings = &settings;
    services.prompter = &prompter;
    services.desktop = desktop.desktop.get();
    services.sound = &desktop.sound;
    services.screenSize = [] { return primaryScreenSize(); };
    services.background = WallpaperEngine::backgroundColour(settings);
    return services;
}

struct CoreObjects {
    AppContext& context;
    SettingsStore& settings;
    Queue& queue;
    FolderQueue& folder;
    WallpaperEngine& engine;
    GuiPrompter& prompter;
};

MainWindowDeps windowDeps(const CoreObjects& core, DesktopServices& desktop) {
    MainWindowDeps deps;
    deps.app = &core.context;
    deps.settings = &core.settings;
    deps.queue = &core.queue;
    deps.folder = &core.folder;
    deps.engine = &core.engine;
    deps.prompter = &core.prompter;
    deps.screenState = desktop.screenState.get();
    return deps;
}

} // namespace

int main(int argc, char** argv) {
    Picbuf::initialize(argv[0]);
    QApplication app(argc, argv);
    app.setApplicationName(AppContext::applicationTitle());
    // The window may live hidden while only tray icons show; closing it is what ends the program.
    app.setQuitOnLastWindowClosed(false);

    SettingsStore settings(settingsPath());
    InstanceServer server;
    AppContext context;
    if (!startUp(context, settings, server)) return 0;

    const QSize screen = primaryScreenSize();
    context.screenWidth = to16(screen.width());
    context.screenHeight = to16(screen.height());
    Queue queue(Queue::Environment{context.programFolder, context.screenWidth, context.screenHeight});
    FolderQueue folder;
    GuiPrompter prompter;
    DesktopServices desktop(settings);
    WallpaperEngine engine(context, queue, folder, engineServices(settings, prompter, desktop));

    MainWindow window(windowDeps(CoreObjects{context, settings, queue, folder, engine, prompter}, desktop));
    prompter.setOwner(&window);
    InstanceCommandContext commands{window, engine, queue};
    server.setHandler([&commands](const QJsonObject& request, const InstanceServer::Reply& reply) {
        handleInstanceCommand(request, commands, reply);
    });
    closeOnTerminationSignals(window);
    window.startUp();
    // A signal during the start-up (its change lets events in) has closed the window already;
    // quit() before the event loop runs would be lost, so do not start it.
    if (window.isClosed()) return 0;
    return app.exec();
}
