// host_failure LOGNAME: a window host whose timer callback throws. The host
// must log the exception with its message, report the problem and end the
// process with -1.
#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "GUI/api/Win32/Win32WindowPlatform.h"
#include "Platform/api/ErrorLog.h"
#include "Root/api/Exception.h"

namespace {
struct Failing {
    void Tick() { throw Brintavolex::Exception("host_failure: the timer callback failed"); }
};
} // namespace

int main(int argc, char **argv)
{
    using namespace Brintavolex;
    if (argc != 2)
        return 2;
    ErrorLog::Configure("Brintavolex Viewer", argv[1]);
    GUI::GUI gui(MakeShared<GUI::Win32WindowPlatform>());
    gui.CreateContextSoftware();
    auto root = MakeShared<GUI::PanelWithTransparentTitle>();
    root->SetRect(20, 860, 220, 1000);
    gui.SetRootPanel(root);
    gui.Show();
    Failing failing;
    Function2<void()> tick;
    tick.Reset(&Failing::Tick, &failing);
    gui.SetTimer(tick, 20);
    gui.Run();
    return 3; // the guard ends the process before
}
