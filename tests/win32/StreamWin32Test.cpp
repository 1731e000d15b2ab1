// File sharing as Windows applies it, and the decode that reports back on
// the GUI thread through a posted message.
#include "Platform/api/BackgroundDecode.h"
#include "Platform/api/Stream.h"
#include "Platform/api/Win32/WideText.h"
#include "Platform/api/Win32/WindowMessagePoster.h"

#include "support/Pictures.h"
#include "support/TempFolder.h"
#include "Platform/api/String.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>

namespace Brintavolex {

TEST(FileStreamWin32, OpensAFileAnotherWriterHoldsAndNeverLocksIt)
{
    TestSupport::TempFolder folder;
    const String path = FromUTF8(folder.Write("shared.bin", "0123456789"));
    const std::wstring wide = Win32::ToW(StringExpr(path));
    // A writer that lets readers in.
    HANDLE writer = CreateFileW(wide.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    {
        FileStream stream(path);
        EXPECT_EQ(stream.size(), 10u);
        // While the viewer reads, the file can still be renamed and deleted.
        const std::wstring renamed = wide + L".renamed";
        EXPECT_TRUE(MoveFileW(wide.c_str(), renamed.c_str()));
        EXPECT_TRUE(DeleteFileW(renamed.c_str()));
        char out[10];
        stream.read(out, 10);
        EXPECT_EQ(std::string(out, 10), "0123456789");
    }
    CloseHandle(writer);

    // A writer that shuts readers out: an ordinary sharing violation.
    const String locked = FromUTF8(folder.Write("locked.bin", "x"));
    HANDLE exclusive = CreateFileW(Win32::ToW(StringExpr(locked)).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                   0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    try {
        FileStream stream(locked);
        ADD_FAILURE() << "opened a file another writer holds exclusively";
    } catch (const SystemErrorException &e) {
        EXPECT_EQ(e.ErrorCode(), SystemError::SharingViolation);
    }
    CloseHandle(exclusive);
}

namespace {

LRESULT CALLBACK TaskWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == Win32::kPostedTaskMessage) {
        Win32::RunPostedTask(lParam);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Pumps messages until done or a few seconds have passed.
void PumpUntil(const std::atomic<bool> &done)
{
    const DWORD start = GetTickCount();
    MSG msg;
    while (!done && GetTickCount() - start < 10000) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    }
}

} // namespace

TEST(BackgroundDecodeWin32, TheOutcomeArrivesOnTheGuiThread)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TaskWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"BrintavolexTestTasks";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    auto poster = MakeShared<Win32::WindowMessagePoster>(window);

    for (bool fail : {false, true}) {
        auto source = MakeShared<TestSupport::FunctionPicture<std::uint8_t>>(16, 16, [fail](std::uint32_t x, std::uint32_t y) {
            if (fail)
                throw Exception("Gradient: broken file");
            return std::uint8_t(x * y);
        });
        std::atomic<bool> done{false};
        DWORD deliveredOn = 0;
        BackgroundDecode::Outcome result;
        {
            BackgroundDecode decode(MakeShared<Image2DDataCache>(source), nullptr, poster,
                                    [&](const BackgroundDecode::Outcome &outcome) {
                                        deliveredOn = GetCurrentThreadId();
                                        result = outcome;
                                        done = true;
                                    });
            PumpUntil(done);
        }
        ASSERT_TRUE(done);
        EXPECT_EQ(deliveredOn, GetCurrentThreadId());
        if (fail) {
            EXPECT_FALSE(result.image);
            EXPECT_EQ(result.error.ToStdString(), "Gradient: broken file");
        } else {
            ASSERT_TRUE(result.image);
            auto lock = result.image->Lock<std::uint8_t>(Data::LockReadOnly);
            EXPECT_EQ(lock(15, 15), 225);
        }
    }
    DestroyWindow(window);
}

} // namespace Brintavolex
