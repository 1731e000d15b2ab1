#pragma once

// The main window as a drop target of the system's drag and drop. Failures
// are logged, never thrown: the window works on without drag and drop.

#include "GUI/api/WindowPlatform.h"
#include "Root/api/SharedPtr.h"

namespace Brintavolex {

class IWindowDropTarget {
public:
    virtual ~IWindowDropTarget() = default;
    virtual void Register(GUI::WindowHandle window) = 0;
    // A window that was never registered is no failure.
    virtual void Revoke(GUI::WindowHandle window) = 0;
};

// Win32: RegisterDragDrop with a target that accepts nothing yet.
SharedPtr<IWindowDropTarget> SystemDropTarget();

} // namespace Brintavolex
