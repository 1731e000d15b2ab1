// A software frame that GDI cannot show is reported. That frames do show is
// compared pixel by pixel in WindowHostWin32Test.cpp.
#include "Platform/api/Video/Software.h"
#include "Platform/api/Video/Win32/GdiRenderWindow.h"

#include <windows.h>

#include <gtest/gtest.h>

namespace Brintavolex::Platform::Video {
namespace {

HWND MakeWindow(DWORD exStyle)
{
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"BrintavolexPresentTest";
        return RegisterClassW(&wc) != 0;
    }();
    EXPECT_TRUE(registered);
    return CreateWindowExW(exStyle, L"BrintavolexPresentTest", L"", WS_POPUP | WS_VISIBLE, 10, 10, 32, 24, nullptr,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
}

bool PresentFrame(const SharedPtr<RenderWindow> &window)
{
    auto context = Software::SoftwareContext::Create();
    auto renderer = context->CreateRenderer(window, RendererOptions{window->IsLayered()});
    renderer->Resize(32, 24);
    context->SetRenderTarget(renderer);
    context->State().clearColor = {0.25f, 0.5f, 0.75f, 0.5f};
    renderer->BeginPaint();
    renderer->EndPaint();
    return renderer->Present();
}

TEST(GdiPresent, AFailedPlatformCallIsReported)
{
    HWND gone = MakeWindow(WS_EX_LAYERED);
    auto window = MakeShared<Win32::GdiRenderWindow>(gone);
    DestroyWindow(gone);
    // The window is gone: the frame cannot be shown, and Present says so.
    EXPECT_FALSE(PresentFrame(window));
}

} // namespace
} // namespace Brintavolex::Platform::Video
