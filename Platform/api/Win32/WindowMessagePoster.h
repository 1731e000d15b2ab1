#pragma once

#include "Platform/api/GuiThreadPoster.h"

#include <windows.h>

namespace Brintavolex::Win32 {

// The private message that carries work to the GUI thread: lParam owns a
// heap-allocated task that RunPostedTask runs and frees. It is the window
// host's refresh message, which re-evaluates the pointer after the task.
constexpr UINT kPostedTaskMessage = WM_USER;

class WindowMessagePoster final : public IGuiThreadPoster {
public:
    explicit WindowMessagePoster(HWND window, UINT message = kPostedTaskMessage) noexcept
        : _window(window), _message(message)
    {
    }
    void Post(std::function<void()> task) override;

private:
    HWND _window;
    UINT _message;
};

// Called by the window procedure for the message; exceptions pass on to the
// procedure's own guard.
void RunPostedTask(LPARAM lParam);

} // namespace Brintavolex::Win32
