#pragma once

// The system's save dialog for "Save image as...", owned by a window of the
// host; null where the system has none (the portable build).

#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "PlanoscopeWidget/api/SaveImage.h"

namespace Brintavolex {

// owner: the panel whose window the dialog belongs to.
SharedPtr<ImageView::ISaveImageDialog> CreateSystemSaveDialog(GUI::GUI &gui, GUI::Panel &owner);

} // namespace Brintavolex
