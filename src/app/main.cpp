// SPDX-License-Identifier: MIT
#include "app/TConfig.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TConfig w;
    w.show();
    return app.exec();
}
