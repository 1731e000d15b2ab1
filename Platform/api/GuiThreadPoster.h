#pragma once

#include <functional>

namespace Brintavolex {

// Hands work to the GUI thread (the Win32 side posts a private window
// message); Post may be called from any thread.
class IGuiThreadPoster {
public:
    virtual ~IGuiThreadPoster() = default;
    virtual void Post(std::function<void()> task) = 0;
};

} // namespace Brintavolex
