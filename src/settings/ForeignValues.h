// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Values the program reads or writes outside its own settings: the desktop's wallpaper and tile
// flag, the double-click time, the system-information program. Each lives somewhere else on each
// desktop, so whoever knows it registers a provider for its (key path, name); the callers keep
// the key paths and names they always used. Unknown values read as the caller's default and
// writes to them are dropped.
class ForeignValues {
public:
    // nullopt: the provider has no value, the caller's default is used.
    using Reader = std::function<std::optional<QString>()>;
    using Writer = std::function<void(const QString& text)>;

    // Key paths as the callers name them.
    static QString mouseKey() { return QStringLiteral("Control Panel\\Mouse"); }
    static QString desktopKey() { return QStringLiteral("Control Panel\\Desktop"); }
    static QString systemInformationKey() { return QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSInfo"); }

    // Replaces any provider already registered for the same (key path, name), matched without
    // regard to case. Either function may be empty.
    void registerValue(const QString& keyPath, const QString& name, Reader reader, Writer writer = {});

    // root is accepted for the callers' sake; the key path and name alone select the value.
    QString read(const QString& root, const QString& keyPath, const QString& name, const QString& def) const;
    void write(const QString& root, const QString& keyPath, const QString& name, const QString& text) const;

    // Registers MSInfo "Path" as the first system-information program found on the search path.
    void registerSystemInformation(const QStringList& searchPaths = {});

    // The first of the known system-information programs found in searchPaths (the PATH when
    // empty), or an empty string.
    static QString findSystemInformationProgram(const QStringList& searchPaths = {});

private:
    struct Provider {
        QString keyPath;
        QString name;
        Reader reader;
        Writer writer;
    };
    const Provider* find(const QString& keyPath, const QString& name) const;

    QList<Provider> m_providers;
};
