// SPDX-License-Identifier: MIT
#include "platform/gnome/GSettingsBackend.h"

#include <QFile>

#include <gio/gio.h>

namespace platform {

namespace {

// MATE keeps a plain path; the others keep a file:// URI.
bool usesUri(GSettingsBackend::Flavour flavour) {
    return flavour != GSettingsBackend::Flavour::Mate;
}

const char* pictureKey(GSettingsBackend::Flavour flavour) {
    return usesUri(flavour) ? "picture-uri" : "picture-filename";
}

QString uriFromPath(const QString& path) {
    GError* err = nullptr;
    gchar* uri = g_filename_to_uri(QFile::encodeName(path).constData(), nullptr, &err);
    if (!uri) {
        g_clear_error(&err);
        return {};
    }
    const QString result = QString::fromUtf8(uri);
    g_free(uri);
    return result;
}

QString pathFromUri(const QString& uri) {
    gchar* file = g_filename_from_uri(uri.toUtf8().constData(), nullptr, nullptr);
    if (!file) return {};
    const QString result = QFile::decodeName(file);
    g_free(file);
    return result;
}

} // namespace

const char* GSettingsBackend::schemaId(Flavour flavour) {
    switch (flavour) {
    case Flavour::Gnome:
        return "org.gnome.desktop.background";
    case Flavour::Cinnamon:
        return "org.cinnamon.desktop.background";
    case Flavour::Mate:
        return "org.mate.background";
    }
    return "";
}

GSettingsBackend::GSettingsBackend(Flavour flavour) : m_flavour(flavour) {
    // g_settings_new() aborts the whole process on a schema that is not installed.
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, schemaId(flavour), TRUE) : nullptr;
    if (!schema) {
        m_error = QStringLiteral("The desktop settings schema %1 is not installed, so the %2 wallpaper cannot be set.")
                      .arg(QLatin1String(schemaId(flavour)), name());
        return;
    }
    m_settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
}

GSettingsBackend::~GSettingsBackend() {
    if (m_settings) g_object_unref(m_settings);
}

bool GSettingsBackend::isAvailable(QString* error) const {
    if (m_settings) return true;
    if (error) *error = m_error;
    return false;
}

QString GSettingsBackend::name() const {
    switch (m_flavour) {
    case Flavour::Gnome:
        return QStringLiteral("gnome");
    case Flavour::Cinnamon:
        return QStringLiteral("cinnamon");
    case Flavour::Mate:
        return QStringLiteral("mate");
    }
    return {};
}

bool GSettingsBackend::fail(QString* error) const {
    if (error) *error = m_error;
    return false;
}

bool GSettingsBackend::hasKey(const char* key) const {
    GSettingsSchema* schema = nullptr;
    g_object_get(m_settings, "settings-schema", &schema, nullptr);
    if (!schema) return false;
    const bool has = g_settings_schema_has_key(schema, key);
    g_settings_schema_unref(schema);
    return has;
}

// Writes a string key only when the schema has it and accepts the value: a value
// outside an enumeration would otherwise end in a critical warning, not an error.
bool GSettingsBackend::setString(const char* key, const QString& value) {
    GSettingsSchema* schema = nullptr;
    g_object_get(m_settings, "settings-schema", &schema, nullptr);
    if (!schema) return false;
    bool ok = false;
    if (g_settings_schema_has_key(schema, key)) {
        GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(schema, key);
        GVariant* variant = g_variant_ref_sink(g_variant_new_string(value.toUtf8().constData()));
        if (g_variant_type_equal(g_settings_schema_key_get_value_type(schemaKey), G_VARIANT_TYPE_STRING) &&
            g_settings_schema_key_range_check(schemaKey, variant))
            ok = g_settings_set_value(m_settings, key, variant);
        g_variant_unref(variant);
        g_settings_schema_key_unref(schemaKey);
    }
    g_settings_schema_unref(schema);
    return ok;
}

// The desktop's colour settings are the user's: a centred picture and a cleared desktop show
// whatever colour the user chose there.
bool GSettingsBackend::setWallpaper(const QString& bitmapPath, bool tiled, std::uint32_t, QString* error) {
    if (!m_settings) return fail(error);
    QString value = bitmapPath;
    if (usesUri(m_flavour)) {
        value = uriFromPath(bitmapPath);
        if (value.isEmpty()) {
            if (error) *error = QStringLiteral("The wallpaper path %1 cannot be given to the desktop.").arg(bitmapPath);
            return false;
        }
    }
    bool ok = setString("picture-options", tiled ? QStringLiteral("wallpaper") : QStringLiteral("centered"));
    ok = setString(pictureKey(m_flavour), value) && ok;
    // Since GNOME 42 the dark style shows its own picture; without it the wallpaper
    // would only change in the light style.
    if (hasKey("picture-uri-dark")) ok = setString("picture-uri-dark", value) && ok;
    g_settings_sync();
    if (!ok && error)
        *error = QStringLiteral("The %1 desktop did not accept the wallpaper settings (%2).")
                     .arg(name(), QLatin1String(schemaId(m_flavour)));
    return ok;
}

bool GSettingsBackend::clearWallpaper(std::uint32_t, QString* error) {
    if (!m_settings) return fail(error);
    bool ok = setString(pictureKey(m_flavour), QString());
    if (hasKey("picture-uri-dark")) ok = setString("picture-uri-dark", QString()) && ok;
    // "none" shows the colour alone; an older schema without it still shows the colour
    // once the picture is gone.
    setString("picture-options", QStringLiteral("none"));
    g_settings_sync();
    if (!ok && error)
        *error = QStringLiteral("The %1 desktop did not accept the cleared wallpaper (%2).")
                     .arg(name(), QLatin1String(schemaId(m_flavour)));
    return ok;
}

QString GSettingsBackend::currentWallpaper() {
    if (!m_settings || !hasKey(pictureKey(m_flavour))) return {};
    gchar* raw = g_settings_get_string(m_settings, pictureKey(m_flavour));
    const QString value = QString::fromUtf8(raw);
    g_free(raw);
    if (!usesUri(m_flavour) || value.isEmpty()) return value;
    return pathFromUri(value);
}

} // namespace platform
