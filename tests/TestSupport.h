// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace mtest {

// A fresh, empty folder for one test, below the folder this test run owns (set up by the test main).
QString freshDir(const QString& tag);
QByteArray readFile(const QString& path);
// Writes the whole file, making its folder first.
bool writeFile(const QString& path, const QByteArray& bytes);
// Path of a program built next to the tests (muralo32, murctl).
QString builtProgram(const QString& name);

} // namespace mtest
