// SPDX-License-Identifier: MIT
#include "CliOptions.h"

std::optional<CliOptions> CliOptions::parse(const QStringList& args, const QSet<QString>& valueOptions,
                                            const QSet<QString>& flags, QString* error) {
    CliOptions o;
    bool optionsEnded = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnded || !a.startsWith(QStringLiteral("--")) || a == QStringLiteral("-")) {
            o.m_positional << a;
            continue;
        }
        if (a == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = a.mid(2);
        QString value;
        const qsizetype eq = name.indexOf(u'=');
        const bool inlineValue = eq >= 0;
        if (inlineValue) {
            value = name.mid(eq + 1);
            name = name.left(eq);
        }
        if (valueOptions.contains(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) {
                    *error = QStringLiteral("option --%1 needs a value").arg(name);
                    return std::nullopt;
                }
                value = args[++i];
            }
            o.m_values.insert(name, value);
        } else if (flags.contains(name) && !inlineValue) {
            o.m_flags.insert(name);
        } else {
            *error = QStringLiteral("unknown option --%1").arg(name);
            return std::nullopt;
        }
    }
    return o;
}
