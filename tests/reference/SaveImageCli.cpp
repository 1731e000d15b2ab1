// "Save image as..." of the 2D viewer, driven as the user does: each image is
// shown in the composite, brightness/contrast set, and the command run twice
// with a dialog that answers WORKDIR/save<i>.png and .bmp. The Python
// reference reads both files with Pillow.
//
// Input (little-endian): "BRSV", u32 image count, then per image: i32 color
// type, u32 width, u32 height, two doubles (brightness, contrast; 0 and 0
// leave the panel closed), the pixels.

#include "Data/api/Image2D.h"
#include "PlanoscopeWidget/api/PlanoscopeControlList.h"
#include "../support/InputFile.h"

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

using namespace Brintavolex;
using Brintavolex::Reference::ReadAll, Brintavolex::Reference::ReadPicture, Brintavolex::Reference::Reader;

namespace {

class AnswerDialog final : public ImageView::ISaveImageDialog {
public:
    std::u16string answer, proposed;
    std::u16string AskSavePath(std::u16string_view proposedName) override
    {
        proposed = std::u16string(proposedName);
        return answer;
    }
};

std::u16string Widen(const std::string &s) { return std::u16string(s.begin(), s.end()); }

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s images.bin workdir\n", argv[0]);
        return 2;
    }
    try {
        const std::vector<unsigned char> data = ReadAll(argv[1]);
        Reader in{data};
        if (std::memcmp(in.Bytes(4), "BRSV", 4) != 0)
            throw std::runtime_error("not an image file");
        const auto count = in.Get<std::uint32_t>();
        auto dialog = MakeShared<AnswerDialog>();
        for (std::uint32_t i = 0; i < count; ++i) {
            const auto type = static_cast<Data::ColorType>(in.Get<std::int32_t>());
            const auto w = in.Get<std::uint32_t>(), h = in.Get<std::uint32_t>();
            const double brightness = in.Get<double>(), contrast = in.Get<double>();
            SharedPtr<Data::Image2DBase> image = ReadPicture(in, type, w, h);
            ImageView::PlanoscopeControlList viewer;
            viewer.SetSaveDialog(dialog);
            viewer.SetImagePath(u"C:\\pictures\\image" + Widen(std::to_string(i)) + u".tif");
            viewer.SetImage(image);
            if (brightness != 0 || contrast != 0) {
                viewer.Settings().brightnessContrast.Set(true);
                viewer.BrightnessContrast().SetBrightness(brightness);
                viewer.BrightnessContrast().SetContrast(contrast);
            }
            for (const char *extension : {".png", ".bmp"}) {
                dialog->answer = Widen(std::string(argv[2]) + "/save" + std::to_string(i) + extension);
                viewer.SaveImageAs();
                if (!viewer.LastSaveError().Empty())
                    throw std::runtime_error(viewer.LastSaveError().ToStdString());
            }
            // The proposed name, for the reference to check the marker.
            std::printf("%s\n", std::string(dialog->proposed.begin(), dialog->proposed.end()).c_str());
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
