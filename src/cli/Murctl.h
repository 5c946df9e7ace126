// SPDX-License-Identifier: MIT
#pragma once

#include <QStringList>
#include <QTextStream>

// murctl: queue files and wallpaper changes from the command line. Returns the exit status.
int runMurctl(const QStringList& arguments, QTextStream& out, QTextStream& err);
