// SPDX-License-Identifier: MIT
#include "cli/CliContext.h"
#include "queue/QueueFile.h"
#include "startup/SingleInstance.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

namespace {

// The header's order mode: 1 sequential, 2 random.
constexpr int kSequentialOrder = 1;

QJsonObject ruleJson(const QueueHeader::Rule& r) {
    return {{"mode", r.mode}, {"fixed_size", r.fixedSize}, {"width", r.width}, {"height", r.height}};
}

QJsonObject headerJson(const QueueHeader& h) {
    return {
        {"signature", QString::fromLatin1(h.signature())},
        {"current_position", h.currentPosition()},
        {"relink_folder", h.relinkFolder()},
        {"image_folder", h.imageFolder()},
        {"order_mode", h.orderMode()},
        {"gamma_on", h.gammaOn()},
        {"sorted", h.sorted()},
        {"entry_count", h.entryCount()},
        {"no_default_sound", h.noDefaultSound()},
        {"start_with_first", h.startWithFirst()},
        {"tiled", h.tiled()},
        {"large_rule", ruleJson(h.largeRule())},
        {"small_rule", ruleJson(h.smallRule())},
        {"threshold", QJsonObject{{"width", h.thresholdWidth()}, {"height", h.thresholdHeight()}}},
        {"folder_queue", h.folderQueue()},
        {"default_sound", h.defaultSound()},
    };
}

QJsonObject entryJson(int n, int r, const QueueEntry& e) {
    return {
        {"entry", n},
        {"record", r},
        {"path", e.filePath()},
        {"file_date", e.fileDate()},
        {"tiled", e.tiled()},
        {"bits_per_pixel", e.bitsPerPixel()},
        {"width", e.width()},
        {"height", e.height()},
        {"facts_known", e.factsKnown()},
        {"resize_mode", e.resizeMode()},
        {"fixed_size", e.fixedSize()},
        {"fixed_width", e.fixedWidth()},
        {"fixed_height", e.fixedHeight()},
        {"sound_option", e.soundOption()},
        {"sound_path", e.soundPath()},
    };
}

void printJson(CliContext& ctx, const QJsonDocument& doc) {
    ctx.out << doc.toJson(QJsonDocument::Indented);
}

void printHeaderText(CliContext& ctx, const QueueHeader& h) {
    const auto rule = [](const QueueHeader::Rule& r) {
        return QStringLiteral("mode %1, fixed size %2, %3x%4").arg(r.mode).arg(r.fixedSize).arg(r.width).arg(r.height);
    };
    QTextStream& o = ctx.out;
    o << "signature:        " << QString::fromLatin1(h.signature()) << '\n';
    o << "current position: " << h.currentPosition() << '\n';
    o << "relink folder:    " << h.relinkFolder() << '\n';
    o << "image folder:     " << h.imageFolder() << '\n';
    o << "order mode:       " << h.orderMode() << (h.orderMode() == kSequentialOrder ? " (sequential)" : " (random)")
      << '\n';
    o << "gamma on:         " << h.gammaOn() << '\n';
    o << "sorted:           " << h.sorted() << '\n';
    o << "entry count:      " << h.entryCount() << '\n';
    o << "no default sound: " << h.noDefaultSound() << '\n';
    o << "start with first: " << h.startWithFirst() << '\n';
    o << "tiled:            " << h.tiled() << '\n';
    o << "large rule:       " << rule(h.largeRule()) << '\n';
    o << "small rule:       " << rule(h.smallRule()) << '\n';
    o << "threshold:        " << h.thresholdWidth() << 'x' << h.thresholdHeight() << '\n';
    o << "folder queue:     " << h.folderQueue() << '\n';
    o << "default sound:    " << h.defaultSound() << '\n';
}

ExitStatus queueNew(CliContext& ctx, const QStringList& args) {
    if (args.size() != 1) return ctx.usage(QStringLiteral("usage: murctl queue new FILE"));
    const QString file = args[0];
    if (QFileInfo::exists(file)) return ctx.fail(file, QStringLiteral("already exists; nothing was written"));
    Queue queue(ctx.environment);
    const Queue::LoadResult r = queue.load(file);
    if (!r.ok()) return ctx.fail(QString(), r.message);
    if (!r.warning.isEmpty()) ctx.warn(QString(), r.warning);
    if (!ctx.json)
        ctx.out << "created " << file << '\n';
    else
        printJson(ctx, QJsonDocument(QJsonObject{{"created", file}}));
    return ExitStatus::Success;
}

ExitStatus queueInfo(CliContext& ctx, const QStringList& args) {
    if (args.size() != 1) return ctx.usage(QStringLiteral("usage: murctl queue info FILE [--loaded]"));
    QueueHeader header;
    const Queue::LoadResult r = Queue::peekHeader(args[0], header);
    if (!r.ok()) return ctx.fail(QString(), r.message);
    if (ctx.options.has("loaded")) {
        // As a load leaves it in memory; the file is not written.
        Queue queue(ctx.environment);
        queue.header() = header;
        queue.normalise();
        header = queue.header();
    }
    if (ctx.json)
        printJson(ctx, QJsonDocument(headerJson(header)));
    else
        printHeaderText(ctx, header);
    return ExitStatus::Success;
}

ExitStatus queueList(CliContext& ctx, const QStringList& args) {
    if (args.size() != 1) return ctx.usage(QStringLiteral("usage: murctl queue list FILE"));
    const QString file = args[0];
    QueueHeader header;
    const Queue::LoadResult r = Queue::peekHeader(file, header);
    if (!r.ok()) return ctx.fail(QString(), r.message);
    const int count = std::clamp<int>(header.entryCount(), 0, qu3::kMaxEntries);
    queuefile::RecordReader reader(file);
    QJsonArray rows;
    QueueEntry e;
    ExitStatus status = ExitStatus::Success;
    for (int n = 1; n <= count; ++n) {
        const int rec = header.recordIndex(n);
        if (!reader.read(rec, e)) {
            status =
                ctx.fail(file, QStringLiteral("entry %1 (record %2) cannot be read: the file is damaged or too short")
                                   .arg(n)
                                   .arg(rec));
            break;
        }
        if (ctx.json)
            rows.append(entryJson(n, rec, e));
        else
            ctx.out << n << '\t' << rec << '\t' << e.trimmedPath() << '\n';
    }
    if (ctx.json) printJson(ctx, QJsonDocument(rows));
    return status;
}

// A muralo32 that has the queue open makes the edit with its own queue, so the two never write
// the same file over each other. nullopt when no instance runs or it has another queue open: the
// file is then ours to edit.
constexpr int kHandOverTimeoutMs = 60000;

std::optional<ExitStatus> handOverEdit(CliContext& ctx, const QJsonObject& request,
                                       const std::function<ExitStatus(const QJsonObject&)>& report) {
    QJsonObject answer;
    switch (exchangeWithInstance(request, kHandOverTimeoutMs, answer)) {
    case InstanceExchange::NotRunning:
    case InstanceExchange::Foreign:
        return std::nullopt;
    case InstanceExchange::NoAnswer:
        return ctx.fail(QStringLiteral("muralo32"),
                        QStringLiteral("is running but did not answer in time; the queue was not changed"));
    case InstanceExchange::Answered:
        break;
    }
    if (answer.value(QStringLiteral("open")) == QJsonValue(false)) return std::nullopt;
    if (!answer.value(QStringLiteral("ok")).toBool())
        return ctx.fail(QStringLiteral("muralo32"), answer.value(QStringLiteral("error")).toString());
    return report(answer);
}

// added: {entry, record, path} for each file added; refused: {path, error} for each one not.
ExitStatus reportAdds(CliContext& ctx, const QJsonArray& added, const QJsonArray& refused) {
    if (ctx.json)
        printJson(ctx, QJsonDocument(added));
    else
        for (const QJsonValue& a : added)
            ctx.out << "added " << a["entry"].toInt() << '\t' << a["record"].toInt() << '\t' << a["path"].toString()
                    << '\n';
    for (const QJsonValue& r : refused)
        ctx.fail(r["path"].toString(), r["error"].toString());
    return refused.isEmpty() ? ExitStatus::Success : ExitStatus::Failure;
}

ExitStatus queueAdd(CliContext& ctx, const QStringList& args) {
    if (args.size() < 2) return ctx.usage(QStringLiteral("usage: murctl queue add FILE IMAGE..."));
    // With no image to add, no queue file is created or rewritten.
    const bool anyImage =
        std::any_of(args.begin() + 1, args.end(), [](const QString& a) { return QFileInfo(a).isFile(); });
    if (!anyImage) return ctx.fail(args[0], QStringLiteral("none of the images exists; nothing was added"));
    QStringList images;
    for (int i = 1; i < args.size(); ++i)
        images.append(QFileInfo(args[i]).absoluteFilePath());
    const QJsonObject request{{"cmd", "queue-add"},
                              {"queue", QFileInfo(args[0]).absoluteFilePath()},
                              {"files", QJsonArray::fromStringList(images)}};
    if (const auto handed = handOverEdit(ctx, request, [&ctx](const QJsonObject& answer) {
            return reportAdds(ctx, answer["added"].toArray(), answer["refused"].toArray());
        }))
        return *handed;

    Queue queue(ctx.environment);
    const Queue::LoadResult r = queue.load(args[0]);
    if (!r.ok()) return ctx.fail(QString(), r.message);
    if (!r.warning.isEmpty()) ctx.warn(QString(), r.warning);
    // A folder queue's images are the folder's files; it has no entries of its own to add to.
    if (queue.isFolderQueue())
        return ctx.fail(args[0], QStringLiteral("is a folder queue (its images are the files of %1); nothing was added")
                                     .arg(queue.workingImageFolder));
    QJsonArray added;
    QJsonArray refused;
    for (const QString& path : images) {
        int record = 0;
        const Queue::AddResult result = queue.addOneFile(path, &record);
        if (result == Queue::AddResult::Added)
            added.append(QJsonObject{{"entry", queue.entryCount()}, {"record", record}, {"path", path}});
        else
            refused.append(QJsonObject{{"path", path}, {"error", Queue::addFailureText(result)}});
    }
    ExitStatus status = reportAdds(ctx, added, refused);
    if (!added.isEmpty() && !queue.writeHeader())
        status = ctx.fail(args[0], QStringLiteral("the queue header could not be written"));
    return status;
}

ExitStatus reportDeleted(CliContext& ctx, int deleted, int left) {
    if (ctx.json)
        printJson(ctx, QJsonDocument(QJsonObject{{"deleted", deleted}, {"entry_count", left}}));
    else
        ctx.out << "deleted " << deleted << ", " << left << " left\n";
    return ExitStatus::Success;
}

ExitStatus queueDelete(CliContext& ctx, const QStringList& args) {
    if (args.size() < 2) return ctx.usage(QStringLiteral("usage: murctl queue delete FILE ENTRY..."));
    const QString file = args[0];
    {
        // Refuse before anything is written, also when the file does not exist.
        QueueHeader probe;
        const Queue::LoadResult r = Queue::peekHeader(file, probe);
        if (!r.ok()) return ctx.fail(QString(), r.message);
    }
    QJsonArray numbers;
    for (int i = 1; i < args.size(); ++i) {
        bool ok = false;
        const int n = args[i].toInt(&ok);
        if (!ok || n < 1)
            return ctx.fail(file, QStringLiteral("'%1' is no entry number; nothing was deleted").arg(args[i]));
        numbers.append(n);
    }
    const QJsonObject request{
        {"cmd", "queue-delete"}, {"queue", QFileInfo(file).absoluteFilePath()}, {"entries", numbers}};
    if (const auto handed = handOverEdit(ctx, request, [&ctx](const QJsonObject& answer) {
            return reportDeleted(ctx, answer["deleted"].toInt(), answer["entry_count"].toInt());
        }))
        return *handed;

    Queue queue(ctx.environment);
    const Queue::LoadResult r = queue.load(file);
    if (!r.ok()) return ctx.fail(QString(), r.message);
    if (!r.warning.isEmpty()) ctx.warn(QString(), r.warning);
    std::set<int, std::greater<>> entries;
    for (const QJsonValue& number : numbers) {
        const int n = number.toInt();
        if (n > queue.entryCount())
            return ctx.fail(file, QStringLiteral("no entry %1 (the queue has %2 entries); nothing was deleted")
                                      .arg(n)
                                      .arg(queue.entryCount()));
        entries.insert(n);
    }
    // From the last to the first, so the numbers given stay valid while deleting.
    for (int n : entries)
        queue.deleteEntry(n, n);
    if (!queue.writeHeader()) return ctx.fail(file, QStringLiteral("the queue header could not be written"));
    return reportDeleted(ctx, int(entries.size()), queue.entryCount());
}

// Loads a queue that exists, for the commands that change one; false (with the message given)
// when it cannot be loaded.
bool loadExisting(CliContext& ctx, Queue& queue, const QString& file, ExitStatus* status) {
    QueueHeader probe;
    Queue::LoadResult r = Queue::peekHeader(file, probe);
    if (r.ok()) r = queue.load(file);
    if (!r.ok()) {
        *status = ctx.fail(QString(), r.message);
        return false;
    }
    if (!r.warning.isEmpty()) ctx.warn(QString(), r.warning);
    return true;
}

QString asFolder(const QString& path) {
    const QString absolute = QFileInfo(path).absoluteFilePath();
    return absolute.endsWith(QLatin1Char('/')) ? absolute : absolute + QLatin1Char('/');
}

ExitStatus done(CliContext& ctx, const QString& text) {
    if (!ctx.json) ctx.out << text << '\n';
    return ExitStatus::Success;
}

ExitStatus queueClear(CliContext& ctx, const QStringList& args) {
    if (args.size() != 1) return ctx.usage(QStringLiteral("usage: murctl queue clear FILE"));
    const QString file = QFileInfo(args[0]).absoluteFilePath();
    const QJsonObject request{{"cmd", "queue-clear"}, {"queue", file}};
    if (const auto handed =
            handOverEdit(ctx, request, [&ctx](const QJsonObject&) { return done(ctx, QStringLiteral("cleared")); }))
        return *handed;
    Queue queue(ctx.environment);
    ExitStatus status = ExitStatus::Success;
    if (!loadExisting(ctx, queue, file, &status)) return status;
    if (queue.isFolderQueue()) return ctx.fail(file, QStringLiteral("is a folder queue; it has no entries to clear"));
    queue.clearEntries();
    if (!queue.writeHeader()) return ctx.fail(file, QStringLiteral("the queue header could not be written"));
    return done(ctx, QStringLiteral("cleared"));
}

ExitStatus queueRelink(CliContext& ctx, const QStringList& args) {
    if (args.size() != 3) return ctx.usage(QStringLiteral("usage: murctl queue relink FILE ENTRY FOLDER"));
    const QString file = QFileInfo(args[0]).absoluteFilePath();
    bool number = false;
    const int entry = args[1].toInt(&number);
    if (!number) return ctx.fail(file, QStringLiteral("'%1' is no entry number; nothing was changed").arg(args[1]));
    const QString folder = asFolder(args[2]);
    const QJsonObject request{{"cmd", "queue-relink"}, {"queue", file}, {"entry", entry}, {"folder", folder}};
    if (const auto handed =
            handOverEdit(ctx, request, [&ctx](const QJsonObject&) { return done(ctx, QStringLiteral("relinked")); }))
        return *handed;
    Queue queue(ctx.environment);
    ExitStatus status = ExitStatus::Success;
    if (!loadExisting(ctx, queue, file, &status)) return status;
    if (entry < 1 || entry > queue.entryCount())
        return ctx.fail(file, QStringLiteral("no entry %1 (the queue has %2 entries); nothing was changed")
                                  .arg(entry)
                                  .arg(queue.entryCount()));
    if (!queue.relinkEntries({entry}, folder)) return ctx.fail(file, QStringLiteral("the queue could not be written"));
    return done(ctx, QStringLiteral("relinked"));
}

ExitStatus queueUseFolder(CliContext& ctx, const QStringList& args) {
    if (args.size() != 2) return ctx.usage(QStringLiteral("usage: murctl queue use-folder FILE FOLDER"));
    const QString file = QFileInfo(args[0]).absoluteFilePath();
    const QString folder = asFolder(args[1]);
    if (!QFileInfo(folder).isDir()) return ctx.fail(folder, QStringLiteral("is no folder; nothing was changed"));
    const QJsonObject request{{"cmd", "queue-use-folder"}, {"queue", file}, {"folder", folder}};
    if (const auto handed = handOverEdit(
            ctx, request, [&ctx](const QJsonObject&) { return done(ctx, QStringLiteral("uses the folder")); }))
        return *handed;
    Queue queue(ctx.environment);
    ExitStatus status = ExitStatus::Success;
    if (!loadExisting(ctx, queue, file, &status)) return status;
    if (queue.entryCount() > 0)
        return ctx.fail(file, QStringLiteral("holds images of its own; clear it first. Nothing was changed"));
    if (!queue.useFolder(folder)) return ctx.fail(file, QStringLiteral("the queue header could not be written"));
    return done(ctx, QStringLiteral("uses the folder"));
}

ExitStatus queueSaveAs(CliContext& ctx, const QStringList& args) {
    if (args.size() != 2) return ctx.usage(QStringLiteral("usage: murctl queue save-as FILE NEWFILE"));
    const QString file = QFileInfo(args[0]).absoluteFilePath();
    const QString target = QFileInfo(args[1]).absoluteFilePath();
    if (QFileInfo::exists(target)) return ctx.fail(target, QStringLiteral("already exists; nothing was written"));
    const QJsonObject request{{"cmd", "queue-save-as"}, {"queue", file}, {"target", target}};
    if (const auto handed =
            handOverEdit(ctx, request, [&ctx](const QJsonObject&) { return done(ctx, QStringLiteral("saved")); }))
        return *handed;
    QueueHeader probe;
    const Queue::LoadResult r = Queue::peekHeader(file, probe);
    if (!r.ok()) return ctx.fail(QString(), r.message);
    if (!queuefile::copyReplacing(file, target))
        return ctx.fail(target, QStringLiteral("Unable to complete Save Operation. Queue has not changed."));
    return done(ctx, QStringLiteral("saved"));
}

} // namespace

ExitStatus runQueueCommand(CliContext& ctx, const QStringList& args) {
    if (args.isEmpty())
        return ctx.usage(QStringLiteral(
            "queue needs a subcommand: new, info, list, add, delete, clear, relink, use-folder, save-as"));
    const QString sub = args[0];
    const QStringList rest = args.mid(1);
    if (sub == QStringLiteral("new")) return queueNew(ctx, rest);
    if (sub == QStringLiteral("info")) return queueInfo(ctx, rest);
    if (sub == QStringLiteral("list")) return queueList(ctx, rest);
    if (sub == QStringLiteral("add")) return queueAdd(ctx, rest);
    if (sub == QStringLiteral("delete")) return queueDelete(ctx, rest);
    if (sub == QStringLiteral("clear")) return queueClear(ctx, rest);
    if (sub == QStringLiteral("relink")) return queueRelink(ctx, rest);
    if (sub == QStringLiteral("use-folder")) return queueUseFolder(ctx, rest);
    if (sub == QStringLiteral("save-as")) return queueSaveAs(ctx, rest);
    return ctx.usage(QStringLiteral("unknown queue subcommand '%1'").arg(sub));
}
