// SPDX-License-Identifier: MIT
#include "platform/gnome/GnomeScreenState.h"

#include <gio/gio.h>

namespace {

constexpr const char* kSchema = "org.gnome.desktop.screensaver";
constexpr const char* kKey = "idle-activation-enabled";

// Looked up first: g_settings_new() aborts the process on a schema that is not installed.
GSettingsSchema* lookUpSchema() {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    GSettingsSchema* schema = source ? g_settings_schema_source_lookup(source, kSchema, TRUE) : nullptr;
    if (schema && !g_settings_schema_has_key(schema, kKey)) {
        g_settings_schema_unref(schema);
        return nullptr;
    }
    return schema;
}

} // namespace

GnomeScreenState::GnomeScreenState(std::unique_ptr<ScreenState> inner) : m_inner(std::move(inner)) {
    if (GSettingsSchema* schema = lookUpSchema()) {
        m_settings = g_settings_new_full(schema, nullptr, nullptr);
        g_settings_schema_unref(schema);
    }
}

GnomeScreenState::~GnomeScreenState() {
    if (m_settings) g_object_unref(m_settings);
}

bool GnomeScreenState::available() {
    GSettingsSchema* schema = lookUpSchema();
    if (!schema) return false;
    g_settings_schema_unref(schema);
    return true;
}

bool GnomeScreenState::screenSaverActive() {
    if (m_settings) return g_settings_get_boolean(m_settings, kKey);
    return m_inner && m_inner->screenSaverActive();
}

bool GnomeScreenState::setScreenSaverActive(bool active) {
    if (!m_settings) return m_inner && m_inner->setScreenSaverActive(active);
    const bool ok = g_settings_set_boolean(m_settings, kKey, active);
    g_settings_sync();
    return ok;
}

bool GnomeScreenState::screenSaverRunning() {
    return m_inner && m_inner->screenSaverRunning();
}

bool GnomeScreenState::fullScreenForeground(int screenWidth, int screenHeight) {
    return m_inner && m_inner->fullScreenForeground(screenWidth, screenHeight);
}
