#include "this/src/SaveImageDialog.h"

namespace Brintavolex {

// Without a system dialog the command does nothing; tests set their own.
SharedPtr<ImageView::ISaveImageDialog> CreateSystemSaveDialog(GUI::GUI &, GUI::Panel &, SaveDialogKind) { return nullptr; }

} // namespace Brintavolex
