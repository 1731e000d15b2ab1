#pragma once

// The shell's part of the application's commands: deleting to the recycle
// bin, printing through the file's associated program, message boxes.
// Win32: SHFileOperationW / ShellExecuteW / MessageBoxW; natively a minimal
// stand-in (the application's tests bring their own).

#include "GUI/api/WindowPlatform.h"
#include "Root/api/SharedPtr.h"
#include "Root/api/String.h"

#include <cstdint>

namespace Brintavolex {

enum class DeleteOutcome { Deleted, Aborted, Failed };

struct DeleteResult {
    DeleteOutcome outcome = DeleteOutcome::Failed;
    // The system's reason for a failure, in the user's language when it
    // has one.
    String reason;
};

class IShellCommands {
public:
    virtual ~IShellCommands() = default;
    // Moves the file to the recycle bin; the shell asks for confirmation
    // unless silent. owner is disabled meanwhile.
    virtual DeleteResult DeleteToRecycleBin(GUI::WindowHandle owner, const String &path, bool silent) = 0;
    // ShellExecuteW with verb ("print", "open"); a failure (result <= 32)
    // shows the message box for its code and returns false.
    virtual bool Execute(GUI::WindowHandle owner, StringExpr verb, const String &path) = 0;
    virtual void ShowMessage(GUI::WindowHandle owner, const String &text) = 0;
};

// The message for a ShellExecute result of 32 or less; systemText stands for
// codes without a text of their own.
String ShellExecuteErrorText(std::intptr_t code, const String &systemText);

// The platform's shell.
SharedPtr<IShellCommands> SystemShellCommands();

} // namespace Brintavolex
