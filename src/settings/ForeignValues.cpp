// SPDX-License-Identifier: MIT
#include "ForeignValues.h"

#include <QStandardPaths>

#include <utility>

namespace {

// Key paths are compared as registry key names: case does not count, and a doubled or trailing
// backslash names the same key.
QString normalisedKey(const QString& keyPath) {
    const QStringList parts = keyPath.split(u'\\', Qt::SkipEmptyParts);
    return parts.join(u'\\');
}

} // namespace

void ForeignValues::registerValue(const QString& keyPath, const QString& name, Reader reader, Writer writer) {
    Provider provider{normalisedKey(keyPath), name, std::move(reader), std::move(writer)};
    for (Provider& existing : m_providers) {
        if (existing.keyPath.compare(provider.keyPath, Qt::CaseInsensitive) == 0 &&
            existing.name.compare(name, Qt::CaseInsensitive) == 0) {
            existing = std::move(provider);
            return;
        }
    }
    m_providers.append(std::move(provider));
}

const ForeignValues::Provider* ForeignValues::find(const QString& keyPath, const QString& name) const {
    const QString key = normalisedKey(keyPath);
    for (const Provider& provider : m_providers) {
        if (provider.keyPath.compare(key, Qt::CaseInsensitive) == 0 &&
            provider.name.compare(name, Qt::CaseInsensitive) == 0)
            return &provider;
    }
    return nullptr;
}

QString ForeignValues::read(const QString& root, const QString& keyPath, const QString& name,
                            const QString& def) const {
    Q_UNUSED(root);
    const Provider* provider = find(keyPath, name);
    if (!provider || !provider->reader) return def;
    return provider->reader().value_or(def);
}

void ForeignValues::write(const QString& root, const QString& keyPath, const QString& name, const QString& text) const {
    Q_UNUSED(root);
    const Provider* provider = find(keyPath, name);
    if (provider && provider->writer) provider->writer(text);
}

void ForeignValues::registerSystemInformation(const QStringList& searchPaths) {
    registerValue(systemInformationKey(), QStringLiteral("Path"), [searchPaths]() -> std::optional<QString> {
        // Looked up at each read: the user may install one while the program runs.
        const QString program = findSystemInformationProgram(searchPaths);
        if (program.isEmpty()) return std::nullopt;
        return program;
    });
}

QString ForeignValues::findSystemInformationProgram(const QStringList& searchPaths) {
    // Graphical tools first: the About box starts the program for the user to look at.
    static const char* const kCandidates[] = {"hardinfo2", "hardinfo", "kinfocenter", "hwinfo", "inxi", "lshw"};
    for (const char* candidate : kCandidates) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(candidate), searchPaths);
        if (!found.isEmpty()) return found;
    }
    return {};
}
