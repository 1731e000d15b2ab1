#include "Platform/api/Win32/WindowMessagePoster.h"

#include "Platform/api/ErrorLog.h"

#include <memory>

namespace Brintavolex::Win32 {

void WindowMessagePoster::Post(std::function<void()> task)
{
    auto owned = std::make_unique<std::function<void()>>(std::move(task));
    if (!PostMessageW(_window, _message, 0, reinterpret_cast<LPARAM>(owned.get()))) {
        BRINTAVOLEX_LOG_SYSTEM_ERROR("PostMessageW");
        return; // the task is dropped with its owner
    }
    owned.release(); // now owned by the message
}

void RunPostedTask(LPARAM lParam)
{
    std::unique_ptr<std::function<void()>> task(reinterpret_cast<std::function<void()> *>(lParam));
    if (task && *task)
        (*task)();
}

} // namespace Brintavolex::Win32
