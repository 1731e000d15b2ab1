#pragma once

// The main window as a drop target of the system's drag and drop. Failures
// are logged, never thrown: the window works on without drag and drop.

#include "GUI/api/WindowPlatform.h"
#include "Root/api/SharedPtr.h"
#include "this/src/DroppedData.h"

#include <functional>

namespace Brintavolex {

class IWindowDropTarget {
public:
    // Told of each drop, on the window's thread.
    using DropHandler = std::function<void(DroppedItem)>;
    virtual ~IWindowDropTarget() = default;
    virtual void Register(GUI::WindowHandle window, DropHandler onDrop) = 0;
    // A window that was never registered is no failure.
    virtual void Revoke(GUI::WindowHandle window) = 0;
};

// Win32: RegisterDragDrop with a target that takes files and virtual files.
SharedPtr<IWindowDropTarget> SystemDropTarget();

} // namespace Brintavolex
