// The window host on the real window system (Wine's USER32 and GDI on
// Xvfb): thread timers through the message loop, pointer messages in the
// platform's coordinates, painting into the window, and the exception guard.
#include "GUI/api/GUI.h"
#include "GUI/api/HeadlessWindowPlatform.h"
#include "GUI/api/Panel.h"
#include "GUI/api/Win32/Win32WindowPlatform.h"
#include "Platform/api/Win32/WideText.h"
#include "Win32Files.h"
#include "support/Win32/ProcessRunner.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace Brintavolex::GUI {
namespace {

struct Probe final : Control {
    Probe() { SetEnabled(true); }
    void Draw() override {}
    bool DeleteContextObjects() override { return true; }
    Control *OnMouseMove(std::int32_t x, std::int32_t y) override
    {
        events.push_back("move@" + std::to_string(x) + "," + std::to_string(y));
        return GetRect().Contains(x, y) ? this : nullptr;
    }
    int OnMouseWheel(std::uint64_t word, std::int32_t x, std::int32_t y) override
    {
        events.push_back("wheel" + std::to_string(std::int16_t(word >> 16)) + "@" + std::to_string(x) + "," +
                         std::to_string(y));
        return 1;
    }
    std::vector<std::string> events;
};

constexpr Rect kRoot{20, 830, 340, 1010};

SharedPtr<PanelWithTransparentTitle> MakeRoot(Probe &probe)
{
    auto root = MakeShared<PanelWithTransparentTitle>();
    root->SetStyle(MakeShared<ViewerStyleWithOpaquePanelBackground>());
    root->SetTitle("Probe", "Probe");
    root->SetRect(kRoot);
    probe.SetRect(10, 40, 110, 140);
    root->Add(probe);
    return root;
}

// The screen's pixels of a desktop rectangle (B, G, R, x rows).
std::vector<std::uint8_t> Screenshot(const Rect &r)
{
    const int w = r.Width(), h = r.Height();
    std::vector<std::uint8_t> pixels(std::size_t(w) * h * 4);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.x0, r.y0, SRCCOPY);
    GdiFlush();
    std::memcpy(pixels.data(), bits, pixels.size());
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool SameColours(const std::vector<std::uint8_t> &a, const std::vector<std::uint8_t> &b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); i += 4)
        if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2])
            return false;
    return true;
}

struct Script {
    GUI *gui;
    HWND window;
    Probe *probe;
    PanelWithTransparentTitle *root;
    std::vector<std::uint8_t> expected;
    int ticks = 0;
    bool sawFrame = false;
    double scaleAfterRefusal = 0;
    void Tick()
    {
        ++ticks;
        if (ticks == 1) {
            // A move in client coordinates, a wheel in desktop coordinates.
            SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(30, 60));
            SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WORD(-120)), MAKELPARAM(kRoot.x0 + 50, kRoot.y0 + 70));
            // Unequal values are refused; the run goes on.
            RECT suggested{kRoot.x0, kRoot.y0, kRoot.x1, kRoot.y1};
            SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 120), reinterpret_cast<LPARAM>(&suggested));
            scaleAfterRefusal = root->GetScale();
        } else if (!sawFrame) {
            sawFrame = SameColours(Screenshot(kRoot), expected);
            if (ticks > 200)
                gui->Close();
        } else {
            gui->Close();
        }
    }
};

TEST(WindowHostWin32, TimersInputAndPaintingThroughRealWindows)
{
    // The frame the headless host draws for the same tree.
    std::vector<std::uint8_t> expected;
    {
        auto headless = MakeShared<HeadlessWindowPlatform>();
        GUI gui(headless);
        gui.CreateContextSoftware();
        Probe probe;
        auto root = MakeRoot(probe);
        gui.SetRootPanel(root);
        gui.Show();
        expected = headless->Frames(gui.WindowOf(*root)).Pixels();
    }
    GUI gui(MakeShared<Win32WindowPlatform>());
    gui.CreateContextSoftware();
    Probe probe;
    auto root = MakeRoot(probe);
    gui.SetRootPanel(root);
    gui.Show();
    HWND window = reinterpret_cast<HWND>(gui.WindowOf(*root));
    ASSERT_NE(window, nullptr);
    RECT r{};
    GetWindowRect(window, &r);
    EXPECT_EQ(r.left, kRoot.x0);
    EXPECT_EQ(r.top, kRoot.y0);
    EXPECT_EQ(r.right - r.left, kRoot.Width());

    Script script{&gui, window, &probe, root.Get(), expected};
    Function2<void()> tick;
    tick.Reset(&Script::Tick, &script);
    gui.SetTimer(tick, 30);
    EXPECT_EQ(gui.Run(), 0);
    EXPECT_TRUE(script.sawFrame) << "the window never showed the headless frame";
    ASSERT_GE(probe.events.size(), 2u);
    EXPECT_EQ(probe.events[0], "move@30,60");
    // Already in desktop coordinates: not converted again.
    EXPECT_EQ(probe.events.back(), "wheel-120@" + std::to_string(kRoot.x0 + 50) + "," + std::to_string(kRoot.y0 + 70));
    EXPECT_EQ(script.scaleAfterRefusal, 1.0);
    EXPECT_FALSE(IsWindow(window));
}

TEST(WindowHostWin32, AnExceptionInATimerCallbackIsLoggedReportedAndEndsTheProcess)
{
    const std::wstring logName = L"Brintavolex Host " + std::to_wstring(GetCurrentProcessId());
    const unsigned long code =
        TestSupport::RunProcess(L"\"" + TestSupport::ModuleFolder() + L"host_failure.exe\" \"" + logName + L"\"");
    EXPECT_EQ(code, 0xFFFFFFFFul);
    using TestSupport::ReadFileW, TestSupport::SpecialFolder;
    const std::string log = ReadFileW(SpecialFolder(CSIDL_LOCAL_APPDATA) + L"\\" + logName + L"\\" + logName + L".log");
    EXPECT_NE(log.find("GUI: exception while handling message 275"), std::string::npos) << log;
    EXPECT_NE(log.find("host_failure: the timer callback failed"), std::string::npos) << log;
    // The problem report went to the desktop.
    const std::wstring report = SpecialFolder(CSIDL_DESKTOP) + L"\\" + logName + L".log";
    EXPECT_EQ(ReadFileW(report), log);
    DeleteFileW(report.c_str());
}

} // namespace
} // namespace Brintavolex::GUI
