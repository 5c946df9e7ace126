// SPDX-License-Identifier: MIT
#pragma once

#include "imaging/Picbuf.h"

#include <QString>

class Prompter;

namespace imagemessages {

// The sentence that tells the user why an image could not be read.
QString forCode(int code, const QString& fileName);
QString missingFile(const QString& path);

// Loads path into the control, telling the user why when it cannot. Afterwards the
// control holds the image or is empty. Does nothing while the window is closing.
void loadWithMessages(Picbuf& control, const QString& path, Prompter& prompter, bool closing);

} // namespace imagemessages
