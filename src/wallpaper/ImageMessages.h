// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class Picbuf;
class Prompter;

namespace imagemessages {

// The sentence that tells the user why an image could not be read.
QString forCode(int code, const QString& fileName);
QString missingFile(const QString& path);

// Loads path into the control, telling the user why when it cannot. Afterwards the
// control holds the image or is empty. Does nothing while the window is closing.
void loadWithMessages(Picbuf& control, const QString& path, Prompter& prompter, bool closing);

// The format codes a loader tries in turn.
inline constexpr int kProbeOrder[] = {1, 2, 3, 4, 5, 6, 7, 9};

} // namespace imagemessages
