// SPDX-License-Identifier: MIT
#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

#include <optional>

// murctl's command line: options may stand anywhere; "--" ends them.
class CliOptions {
public:
    // valueOptions take the next argument as their value.
    static std::optional<CliOptions> parse(const QStringList& args, const QSet<QString>& valueOptions,
                                           const QSet<QString>& flags, QString* error);

    const QStringList& positional() const { return m_positional; }
    bool has(const QString& name) const { return m_flags.contains(name) || m_values.contains(name); }
    QString value(const QString& name, const QString& fallback = {}) const { return m_values.value(name, fallback); }

private:
    QStringList m_positional;
    QSet<QString> m_flags;
    QMap<QString, QString> m_values;
};
