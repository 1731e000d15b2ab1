#include "this/src/OpenFileDialog.h"

namespace Brintavolex {

String AskOpenPath(GUI::GUI &, GUI::Panel &) { return String(); }

} // namespace Brintavolex
