// SPDX-License-Identifier: MIT
#include "cli/Murctl.h"
#include "imaging/Picbuf.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Picbuf::initialize(argv[0]);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList args = app.arguments();
    args.removeFirst();
    const ExitStatus status = runMurctl(args, out, err);
    out.flush();
    err.flush();
    return static_cast<int>(status);
}
