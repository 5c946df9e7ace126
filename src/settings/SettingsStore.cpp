// SPDX-License-Identifier: MIT
#include "SettingsStore.h"

#include <QByteArrayList>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QStringDecoder>

#include <cstdlib>
#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The one section the program reads and writes; other sections are left alone.
const QString kSection = QStringLiteral("Muralo32");

// A settings file is a few hundred bytes; anything far larger is not ours to parse or rewrite.
constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

// How long a writer waits for another process's write to finish before giving up.
constexpr int kLockTimeoutMs = 10000;

enum class Load { Ok, Missing, Unreadable };

struct Line {
    QByteArray raw;       // the line as stored, without its '\n'
    QString name;         // set for a well-formed name=value line
    QString escapedValue; // the text after '=', still escaped
    bool isSection = false;
    QString sectionName;
};

std::optional<QString> decodeUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) return std::nullopt;
    return text;
}

// Lines that do not decode or do not look like a section or name=value are kept byte for byte
// but never interpreted.
Line parseLine(const QByteArray& raw) {
    Line line;
    line.raw = raw;
    QByteArray body = raw;
    if (body.endsWith('\r')) body.chop(1);
    if (body.contains('\0')) return line;
    const std::optional<QString> text = decodeUtf8(body);
    if (!text) return line;
    const QString trimmed = text->trimmed();
    if (trimmed.startsWith(u'[')) {
        if (trimmed.endsWith(u']')) {
            line.isSection = true;
            line.sectionName = trimmed.mid(1, trimmed.size() - 2).trimmed();
        }
        return line;
    }
    if (trimmed.startsWith(u';') || trimmed.startsWith(u'#')) return line;
    const qsizetype eq = text->indexOf(u'=');
    if (eq <= 0) return line;
    const QString name = text->left(eq).trimmed();
    if (name.isEmpty()) return line;
    line.name = name;
    line.escapedValue = text->mid(eq + 1);
    return line;
}

QString escapeValue(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\0':
            out += QStringLiteral("\\0");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString unescapeValue(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != u'\\' || i + 1 == text.size()) {
            out += c;
            continue;
        }
        const QChar next = text.at(i + 1);
        switch (next.unicode()) {
        case u'\\':
            out += u'\\';
            break;
        case u'r':
            out += u'\r';
            break;
        case u'n':
            out += u'\n';
            break;
        case u'0':
            out += QChar(u'\0');
            break;
        default:
            // Not one of ours (a hand-edited file): keep it as it stands.
            out += c;
            out += next;
        }
        ++i;
    }
    return out;
}

// A name the file format can hold: no line breaks, no '=', no surrounding blanks, not a section.
bool isStorableName(const QString& name) {
    if (name.isEmpty() || name.trimmed() != name) return false;
    if (name.startsWith(u'[') || name.startsWith(u';') || name.startsWith(u'#')) return false;
    for (const QChar c : name) {
        if (c == u'=' || c == u'\r' || c == u'\n' || c == u'\0') return false;
    }
    return true;
}

Load loadLines(const QString& path, QList<Line>& lines) {
    lines.clear();
    const QFileInfo info(path);
    if (!info.exists()) return Load::Missing;
    if (!info.isFile() || info.size() > kMaxFileSize) return Load::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Load::Unreadable;
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize) return Load::Unreadable;
    QByteArrayList raws = bytes.split('\n');
    // split() gives one empty piece after a final '\n'; it is not a line.
    if (!raws.isEmpty() && raws.last().isEmpty()) raws.removeLast();
    lines.reserve(raws.size());
    for (const QByteArray& raw : std::as_const(raws))
        lines.append(parseLine(raw));
    return Load::Ok;
}

bool isOurSection(const Line& line) {
    return line.isSection && line.sectionName.compare(kSection, Qt::CaseInsensitive) == 0;
}

// Index of the first line holding the name inside one of our sections, or -1.
qsizetype findValue(const QList<Line>& lines, const QString& name) {
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line& line = lines.at(i);
        if (line.isSection) {
            inSection = isOurSection(line);
        } else if (inSection && !line.name.isEmpty() && line.name.compare(name, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

#ifdef Q_OS_UNIX
// rename() is durable only once the folder holding the new name reaches the disk.
void syncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
#endif

} // namespace

SettingsStore::SettingsStore(QString iniPath) : m_path(std::move(iniPath)) {}

QString SettingsStore::defaultPath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative XDG_CONFIG_HOME is invalid and must be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/Muralo32/Muralo32.ini");
}

QString SettingsStore::path() const {
    return m_path;
}

QString SettingsStore::read(const QString& name, const QString& defaultText) const {
    QList<Line> lines;
    if (loadLines(m_path, lines) != Load::Ok) return defaultText;
    const qsizetype at = findValue(lines, name);
    if (at < 0) return defaultText;
    return unescapeValue(lines.at(at).escapedValue);
}

namespace {

// Where a new value goes: after the last value of our first section; a new section at the end
// when there is none.
qsizetype placeForNewValue(QList<Line>& lines) {
    qsizetype insertAt = -1;
    bool inSection = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line& line = lines.at(i);
        if (line.isSection) {
            if (inSection) break;
            inSection = isOurSection(line);
            if (inSection) insertAt = i + 1;
        } else if (inSection && !line.raw.trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    if (insertAt >= 0) return insertAt;
    if (!lines.isEmpty() && !lines.last().raw.trimmed().isEmpty()) lines.append(Line{});
    Line header;
    header.raw = (u'[' + kSection + u']').toUtf8();
    header.isSection = true;
    header.sectionName = kSection;
    lines.append(header);
    return lines.size();
}

// Sets the value in the lines; false when the file already says exactly this.
bool setValue(QList<Line>& lines, const QString& name, const QString& text) {
    Line entry;
    entry.escapedValue = escapeValue(text);
    const qsizetype at = findValue(lines, name);
    // The first spelling of a name stays.
    entry.name = at >= 0 ? lines.at(at).name : name;
    entry.raw = (entry.name + u'=' + entry.escapedValue).toUtf8();
    if (at >= 0) {
        if (lines.at(at).raw == entry.raw) return false;
        lines[at] = entry;
    } else {
        lines.insert(placeForNewValue(lines), entry);
    }
    return true;
}

// QSaveFile writes a temporary file, syncs it and renames it over the old one, so a reader
// sees either the old file or the new one, never a half-written file.
bool replaceFile(const QString& path, const QList<Line>& lines) {
    QByteArray bytes;
    for (const Line& line : lines) {
        bytes += line.raw;
        bytes += '\n';
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
#ifdef Q_OS_UNIX
    // The contents must reach the disk before the rename makes them the settings file.
    if (!file.flush() || ::fsync(file.handle()) != 0) {
        file.cancelWriting();
        return false;
    }
#endif
    if (!file.commit()) return false;
#ifdef Q_OS_UNIX
    syncFolder(QFileInfo(path).absolutePath());
#endif
    return true;
}

} // namespace

bool SettingsStore::write(const QString& name, const QString& text) {
    if (!isStorableName(name)) return false;
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath())) return false;

    // Two processes may write at once: each must start from what the other has written.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    if (!lock.tryLock(kLockTimeoutMs)) return false;

    QList<Line> lines;
    if (loadLines(m_path, lines) == Load::Unreadable) return false;
    if (!setValue(lines, name, text)) return true;
    return replaceFile(m_path, lines);
}
