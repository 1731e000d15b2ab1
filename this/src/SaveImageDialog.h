#pragma once

// The system's save dialog, owned by a window of the host: for "Save image
// as..." (PNG, BMP, all files) or for a table ("All files", ".csv" added to
// a name without extension). Null where the system has none (the portable
// build).

#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "PlanoscopeWidget/api/SaveImage.h"

namespace Brintavolex {

enum class SaveDialogKind { Image, CommaSeparated };

// owner: the panel whose window the dialog belongs to.
SharedPtr<ImageView::ISaveImageDialog> CreateSystemSaveDialog(GUI::GUI &gui, GUI::Panel &owner,
                                                            SaveDialogKind kind = SaveDialogKind::Image);

} // namespace Brintavolex
