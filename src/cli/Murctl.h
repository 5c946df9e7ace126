// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QTextStream>

// murctl's exit statuses; scripts tell a refused command from a mistyped one by them.
enum class ExitStatus { Success = 0, Failure = 1, UsageError = 2 };

// murctl: queue files and wallpaper changes from the command line.
ExitStatus runMurctl(const QStringList& arguments, QTextStream& out, QTextStream& err);
