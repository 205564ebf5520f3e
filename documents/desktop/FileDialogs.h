#pragma once

#include "desktop/Desktop.h"

// What the open and save dialogs start with the first time: their filters, in the order the
// user sees them, and the suffix added to a name typed without one.
FileDialogRequest openDialogRequest();
FileDialogRequest saveDialogRequest();
