// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

class QDialog;
class QDialogButtonBox;

// The dialogs' row of "OK" (the default), "Cancel" and "Help". Cancel rejects the dialog and Help
// calls openHelp; what OK does is the dialog's own (connect to the box's accepted signal).
QDialogButtonBox* okCancelHelpButtons(QDialog* dialog, std::function<void()> openHelp);
