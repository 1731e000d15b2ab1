#pragma once

// The open dialogs behind AskOpenPath, owned by a window. Each returns the
// chosen file-system path, empty when the user cancels, and throws when a
// call fails.

#include "Root/api/String.h"

#include <windows.h>

namespace Brintavolex {

// The common item dialog, else (where the system cannot create it) the
// older one.
String AskOpenPath(HWND owner);
// Only the common item dialog: a failing CoCreateInstance throws too.
String AskOpenPathWithItemDialog(HWND owner);
// Only the older dialog (GetOpenFileNameW).
String AskOpenPathWithClassicDialog(HWND owner);

} // namespace Brintavolex
