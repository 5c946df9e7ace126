// SPDX-License-Identifier: MIT
#include "platform/kde/PlasmaBackend.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>
#include <QUrl>

#include <gio/gio.h>

namespace {

// Plasma may be busy loading; a script that takes longer than this has failed for the user anyway.
constexpr int kCallTimeoutMs = 10000;

// A string as a script literal; JSON's quoting is valid in the script language.
QString quoted(const QString& text) {
    const QByteArray json = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(json.mid(1, json.size() - 2));
}

} // namespace

QString PlasmaBackend::setScript(const QString& bitmapPath, bool tiled) {
    const QString uri = QUrl::fromLocalFile(bitmapPath).toString(QUrl::FullyEncoded);
    return QStringLiteral("var all = desktops();\n"
                          "for (var i = 0; i < all.length; i++) {\n"
                          "    var d = all[i];\n"
                          "    d.wallpaperPlugin = \"org.kde.image\";\n"
                          "    d.currentConfigGroup = Array(\"Wallpaper\", \"org.kde.image\", \"General\");\n"
                          "    d.writeConfig(\"FillMode\", %1);\n"
                          "    d.writeConfig(\"Image\", %2);\n"
                          "}\n")
        .arg(static_cast<int>(tiled ? FillMode::Tiled : FillMode::Centred))
        .arg(quoted(uri));
}

QString PlasmaBackend::clearScript() {
    return QStringLiteral("var all = desktops();\n"
                          "for (var i = 0; i < all.length; i++) {\n"
                          "    var d = all[i];\n"
                          "    d.wallpaperPlugin = \"org.kde.color\";\n"
                          "}\n");
}

bool PlasmaBackend::evaluateScript(const QString& script, QString* error) {
    GError* err = nullptr;
    // A connection of our own for each call: the shared one would keep the bus of the
    // first call for the life of the process.
    gchar* address = g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &err);
    GDBusConnection* bus = nullptr;
    if (address) {
        bus =
            g_dbus_connection_new_for_address_sync(address,
                                                   GDBusConnectionFlags(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
                                                   nullptr, nullptr, &err);
        g_free(address);
    }
    if (!bus) {
        if (error)
            *error = QStringLiteral("The KDE Plasma desktop cannot be reached (no session bus: %1).")
                         .arg(QString::fromUtf8(err ? err->message : ""));
        g_clear_error(&err);
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(bus, "org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell",
                                                  "evaluateScript", g_variant_new("(s)", script.toUtf8().constData()),
                                                  nullptr, G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, &err);
    g_dbus_connection_close_sync(bus, nullptr, nullptr);
    g_object_unref(bus);
    if (!reply) {
        if (error) {
            gchar* remote = err ? g_dbus_error_get_remote_error(err) : nullptr;
            if (err) g_dbus_error_strip_remote_error(err);
            *error = QStringLiteral("KDE Plasma did not change the wallpaper (%1). Are the widgets locked?")
                         .arg(QString::fromUtf8(err ? err->message : (remote ? remote : "")));
            g_free(remote);
        }
        g_clear_error(&err);
        return false;
    }
    g_variant_unref(reply);
    return true;
}

bool PlasmaBackend::setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t, QString* error) {
    return evaluateScript(setScript(bitmapPath, tiled), error);
}

bool PlasmaBackend::clearWallpaper(std::uint32_t, QString* error) {
    return evaluateScript(clearScript(), error);
}

QString PlasmaBackend::currentWallpaper() {
    const QString config = QStandardPaths::locate(QStandardPaths::GenericConfigLocation,
                                                  QStringLiteral("plasma-org.kde.plasma.desktop-appletsrc"));
    QFile file(config);
    if (config.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    // The first desktop's image group: [Containments][N][Wallpaper][org.kde.image][General].
    bool inImageGroup = false;
    const QLatin1String imageKey("Image=");
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inImageGroup = line.endsWith(QLatin1String("[Wallpaper][org.kde.image][General]"));
        } else if (inImageGroup && line.startsWith(imageKey)) {
            const QString value = line.mid(imageKey.size());
            const QUrl url(value);
            return url.isLocalFile() ? url.toLocalFile() : value;
        }
    }
    return {};
}
