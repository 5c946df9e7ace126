// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <ostream>

// Readable texts in failure messages (found by argument-dependent lookup, so not in a namespace).
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace mtest {

// A fresh, empty folder for one test, below the folder this test run owns (set up by the test main).
QString freshDir(const QString& tag);
QByteArray readFile(const QString& path);
// Writes the whole file, making its folder first.
bool writeFile(const QString& path, const QByteArray& bytes);
// Path of a program built next to the tests (muralo32, murctl).
QString builtProgram(const QString& name);
// Asks `done` every stepMs until it says yes or limitMs have passed; false when time ran out.
bool waitUntil(const std::function<bool()>& done, int limitMs = 5000, int stepMs = 20);

} // namespace mtest
