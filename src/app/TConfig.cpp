// SPDX-License-Identifier: MIT
#include "TConfig.h"

TConfig::TConfig(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Muralo32 Wallpaper Manager"));
    resize(604, 508);
}
