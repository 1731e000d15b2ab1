// viewer_frame OUT.png [IMAGE]: the viewer window's frame as the headless
// host draws it in this process (with this platform's glyphs), without a file
// or once IMAGE is shown, for comparing with a screenshot of the real window.
// Without a file the window shows the portable notice, as a copy that was
// never installed does.
#include "Data/api/Image2D.h"
#include "Data/api/PngEncoder.h"
#include "GUI/api/HeadlessWindowPlatform.h"
#include "this/src/ApplicationTexts.h"
#include "this/src/Codecs.h"
#include "this/src/PlanoscopeMainFrame.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <thread>

int main(int argc, char **argv)
{
    using namespace Brintavolex;
    if (argc != 2 && argc != 3)
        return 2;
    try {
        // The program's decoders name the files of a folder's list.
        UseApplicationCodecs();
        auto platform = MakeShared<GUI::HeadlessWindowPlatform>();
        PlanoscopeMainFrame viewer(platform);
        viewer.Open();
        if (argc == 2) {
            viewer.RootPanel()->ShowNotice(ApplicationTexts::RunningPortably);
            viewer.Host().HandleGUIMessages();
        }
        if (argc == 3) {
            viewer.OpenFile(String(argv[2]));
            for (int i = 0; i < 1000 && viewer.RootPanel()->IsLoading(); ++i) {
                viewer.Host().ProcessPendingMessages();
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            viewer.Host().ProcessPendingMessages();
        }
        const auto &frames = platform->Frames(viewer.Host().WindowOf(*viewer.RootPanel()));
        std::vector<std::uint8_t> pixels = frames.Pixels();
        const std::string png = Data::EncodePng(*Data::CreateExternalBufferImage2D(
            pixels.data(), Data::ColorType::BGRAUInt8, frames.Width(), frames.Height(), frames.Width(), frames.Height()));
        FILE *out = std::fopen(argv[1], "wb");
        if (!out || std::fwrite(png.data(), 1, png.size(), out) != png.size())
            return 1;
        std::fclose(out);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
