// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The program's settings: one INI file with a single [Muralo32] section, one string per name.
// Nothing is cached: every read looks at the file and every write is on disk before it returns,
// so two processes (muralo32 and murctl) always agree on what is stored.
class SettingsStore {
public:
    explicit SettingsStore(QString iniPath);

    // $XDG_CONFIG_HOME/Muralo32/Muralo32.ini (~/.config when XDG_CONFIG_HOME is unset).
    static QString defaultPath();

    QString path() const;

    // The stored text, or defaultText when the name (or the file) is missing or cannot be read.
    // Names match without regard to case.
    QString read(const QString& name, const QString& defaultText) const;

    // Stores the text under the name (keeping the spelling of a name already stored).
    // False when the file could not be written, or exists but cannot be read: a file we cannot
    // read is never replaced, so a damaged file is not made worse.
    bool write(const QString& name, const QString& text);

private:
    QString m_path;
};
