// SPDX-License-Identifier: MIT
#pragma once

#include "cli/CliOptions.h"
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
    int fail(const QString& subject, const QString& text, int status = 1) const;
    void warn(const QString& subject, const QString& text) const;
};

int runQueueCommand(CliContext& ctx, const QStringList& args);
int runWallpaperCommand(CliContext& ctx, const QString& command);
