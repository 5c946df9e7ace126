// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

namespace mtest {

// The folder this test run owns (set up by the test main).
QString home();
// A fresh, empty folder below home() for one test.
QString freshDir(const QString& tag);
QByteArray readFile(const QString& path);
// Writes the whole file, making its folder first.
bool writeFile(const QString& path, const QByteArray& bytes);
// Path of a program built next to the tests (muralo32, murctl).
QString builtProgram(const QString& name);

} // namespace mtest
