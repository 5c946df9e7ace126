// SPDX-License-Identifier: MIT
#pragma once

#include <QApplication>

// The QApplication of the test binary: made before the first test and destroyed after the last,
// while Qt's own globals still exist.
QApplication* guiTestApp();
