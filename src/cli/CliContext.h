// SPDX-License-Identifier: MIT
#pragma once

#include "cli/CliOptions.h"
#include "cli/Murctl.h"
#include "queue/Queue.h"

#include <QTextStream>

// What every murctl command works with.
struct CliContext {
    CliOptions options;
    QTextStream& out;
    QTextStream& err;
    Queue::Environment environment;
    QString configDir; // empty: the default settings folder
    bool json = false;

    // One line on stderr: "murctl: <subject>: <text>".
    ExitStatus fail(const QString& subject, const QString& text, ExitStatus status = ExitStatus::Failure) const;
    // The same for a command line that makes no sense, which has its own exit status.
    ExitStatus usage(const QString& text) const { return fail(QString(), text, ExitStatus::UsageError); }
    void warn(const QString& subject, const QString& text) const;
};

ExitStatus runQueueCommand(CliContext& ctx, const QStringList& args);
ExitStatus runWallpaperCommand(CliContext& ctx, const QString& command);
ExitStatus runAutostartCommand(CliContext& ctx, const QStringList& args);
