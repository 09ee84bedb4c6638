// Shows the update dialog modally, unless one is already open, the user
// declined it today or the main program is not running.
#pragma once

#include "ui/UpdaterFrame.h"

// True when the dialog was shown.
bool RunUpdateDialog(UpdateDialogValues values);
