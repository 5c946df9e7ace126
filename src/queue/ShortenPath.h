// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

// Fits a path into a label: first folders after the start are folded into "...", then the
// end is cut. width measures a text as the label would draw it.
QString shortenPath(const QString& text, int labelWidth, const std::function<int(const QString&)>& width);
