// composite_layout: the viewer window's toolbar buttons as the headless host
// lays them out in this process, one "name x0 y0 x1 y1" line each in window
// pixels, for driving the real window with the pointer; and where the
// clockwise button's tooltip goes with the pointer on the button's centre.
// "composite_layout notice": the same with the portable notice shown.
#include "GUI/api/HeadlessWindowPlatform.h"
#include "this/src/ApplicationTexts.h"
#include "this/src/Codecs.h"
#include "this/src/PlanoscopeMainFrame.h"

#include <cstdio>
#include <exception>
#include <string>

int main(int argc, char **argv)
{
    using namespace Brintavolex;
    try {
        // The program's decoders name the files of a folder's list.
        UseApplicationCodecs();
        auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
        PlanoscopeMainFrame viewer(platform);
        viewer.Open();
        if (argc > 1 && std::string(argv[1]) == "notice")
            viewer.RootPanel()->ShowNotice(ApplicationTexts::RunningPortably);
        ImageView::PlanoscopeControlList &c = viewer.RootPanel()->Viewer();
        const struct {
            const char *name;
            GUI::Control *control;
        } items[] = {{"Save", &c.SaveButton()},           {"Fit", &c.FitButton()},
                     {"ZoomOut", &c.ZoomOutButton()},     {"ZoomIn", &c.ZoomInButton()},
                     {"RotateLeft", &c.RotateLeftButton()}, {"RotateRight", &c.RotateRightButton()},
                     {"Ruler", &c.RulerButton()},         {"Histogram", &c.HistogramButton()},
                     {"ZoomList", &c.ZoomList()},         {"SamplingList", &c.SamplingList()},
                     {"RotationList", &c.RotationList()},
                     {"SpeedList", &viewer.RootPanel()->SlideshowSpeedList()},
                     {"Print", &viewer.RootPanel()->PrintButton()},
                     {"Toolbar", nullptr}};
        for (const auto &item : items) {
            const GUI::Rect r = item.control ? item.control->GetRect() : c.ToolbarRect();
            std::printf("%s %d %d %d %d\n", item.name, r.x0, r.y0, r.x1, r.y1);
        }
        const GUI::Rect panel = viewer.RootPanel()->GetRect(), button = c.RotateRightButton().GetRect();
        viewer.Host().OnMouseMove(panel.x0 + (button.x0 + button.x1) / 2, panel.y0 + (button.y0 + button.y1) / 2);
        const GUI::Rect tip = c.RotateRightButton().GetTooltip()->GetRect();
        std::printf("TooltipRotateRight %d %d %d %d\n", tip.x0 - panel.x0, tip.y0 - panel.y0, tip.x1 - panel.x0,
                    tip.y1 - panel.y0);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
