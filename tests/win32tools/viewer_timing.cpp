// viewer_timing FIRST SECOND: the viewer role's timings in this process on the
// real window host, as WinMain runs it. Prints, in milliseconds: process start
// to the first frame that shows FIRST, the decode alone of FIRST, and the
// time from the Down key to the frame that shows SECOND once it was
// prefetched. FIRST and SECOND lie in one folder of these two pictures.
#include "GUI/api/Win32/Win32WindowPlatform.h"
#include "this/src/Codecs.h"
#include "this/src/PlanoscopeMainFrame.h"

#include <windows.h>
#include <ole2.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Milliseconds since this process was created.
double SinceProcessStart()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](const FILETIME &t) { return (ULONGLONG(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return double(ticks(now) - ticks(created)) / 10000.0;
}

// Serves the window's messages until done holds; false after 60 s.
bool ServeUntil(Brintavolex::GUI::GUI &gui, const std::function<bool()> &done)
{
    const auto end = Clock::now() + std::chrono::seconds(60);
    Brintavolex::GUI::WindowMessage message;
    while (!done()) {
        if (Clock::now() > end)
            return false;
        if (gui.GetPlatform()->TakeMessage(message))
            gui.ProcessMessage(message);
        else
            Sleep(0);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    using namespace Brintavolex;
    if (argc != 3)
        return 2;
    try {
        const double entered = SinceProcessStart();
        if (FAILED(OleInitialize(nullptr)))
            return 1;
        UseApplicationCodecs();
        PlanoscopeMainFrame frame(MakeShared<GUI::Win32WindowPlatform>());
        const double constructed = SinceProcessStart();
        frame.Open();
        const double shown = SinceProcessStart();
        PlanoscopeApplication &app = *frame.RootPanel();
        frame.OpenFile(String(argv[1]));
        const double opened = SinceProcessStart();
        if (!ServeUntil(frame, [&] { return bool(app.View().GetImage()); }))
            return 1;
        // The message that brought the picture also painted it (the host
        // paints at the end of each message).
        GdiFlush();
        const double firstFrame = SinceProcessStart();

        const auto decodeStart = Clock::now();
        const SharedPtr<PreparedDocument> alone = PrepareDocument(String(argv[1]), IFileList::Iterator{});
        const double decode = Milliseconds(Clock::now() - decodeStart);
        if (!alone->error.Empty())
            return 1;

        // Both neighbours (in a list of two: the other file) are ready.
        if (!ServeUntil(frame, [&] { return app.Manager()->PrefetchedCount() >= 1 && !app.IsLoading(); }))
            return 1;
        const SharedPtr<Data::Image2DBase> before = app.View().GetImage();
        const auto keyAt = Clock::now();
        PostMessageW(reinterpret_cast<HWND>(frame.WindowOf(app)), WM_KEYDOWN, VK_DOWN, 1);
        if (!ServeUntil(frame, [&] { return app.View().GetImage() != before; }))
            return 1;
        GdiFlush();
        const double next = Milliseconds(Clock::now() - keyAt);
        std::printf("main %.1f\nconstructed %.1f\nshown %.1f\nopened %.1f\n", entered, constructed, shown, opened);
        std::printf("first-frame %.1f\ndecode %.1f\nnext-prefetched %.1f\n", firstFrame, decode, next);
        frame.Close();
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
