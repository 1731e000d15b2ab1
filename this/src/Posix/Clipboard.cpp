#include "this/src/Clipboard.h"

namespace Brintavolex {

namespace {
class EmptyClipboard final : public IClipboard {
public:
    ClipboardContent Read(GUI::WindowHandle) override { return {}; }
};
} // namespace

SharedPtr<IClipboard> SystemClipboard() { return MakeShared<EmptyClipboard>(); }

} // namespace Brintavolex
