#pragma once

// The system's dialog that asks for a file to open, owned by a window of the
// host; empty when the user cancels or the system has none (the portable
// build).

#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"

namespace Brintavolex {

String AskOpenPath(GUI::GUI &gui, GUI::Panel &owner);

} // namespace Brintavolex
