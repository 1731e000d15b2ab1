// A stand-in for the shell on systems without a recycle bin or file
// associations: deleting removes the file, nothing can be printed.
#include "this/src/ShellCommands.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Brintavolex {

namespace {
class PosixShellCommands final : public IShellCommands {
public:
    DeleteResult DeleteToRecycleBin(GUI::WindowHandle, const String &path, bool) override
    {
        if (std::remove(path.ToStdString().c_str()) == 0)
            return DeleteResult{DeleteOutcome::Deleted, String()};
        return DeleteResult{DeleteOutcome::Failed, String(std::strerror(errno))};
    }
    bool Execute(GUI::WindowHandle, StringExpr verb, const String &path) override
    {
        std::fprintf(stderr, "cannot %s %s: no shell here\n", String(verb).ToStdString().c_str(),
                     path.ToStdString().c_str());
        return false;
    }
    void ShowMessage(GUI::WindowHandle, const String &text) override
    {
        std::fprintf(stderr, "%s\n", text.ToStdString().c_str());
    }
};
} // namespace

SharedPtr<IShellCommands> SystemShellCommands() { return MakeShared<PosixShellCommands>(); }

} // namespace Brintavolex
