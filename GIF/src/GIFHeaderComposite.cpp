#include "GIF/api/GIFDecoder.h"
#include "GIF/src/GIFStructure.h"
#include "Interface/api/Composite.h"

#include <map>
#include <string>

namespace Brintavolex {

namespace {

using namespace GIF;

SharedPtr<IProperty> ControlComposite(const GraphicControl &control)
{
    auto c = MakeShared<Composite>();
    c->Add("Introducer", UInt8(kExtensionIntroducer));
    c->Add("Label", UInt8(kGraphicControlLabel));
    c->Add("BlockSize", UInt8(control.blockSize));
    c->Add("Packed", UInt8(control.packed));
    c->Add("DelayTime", UInt16(control.delay));
    c->Add("ColorIndex", UInt8(control.transparentIndex));
    c->Add("Terminator", UInt8(control.terminator));
    return c;
}

SharedPtr<IProperty> ImageComposite(const ImageRecord &image)
{
    auto c = MakeShared<Composite>();
    if (image.control)
        c->Add("Graphics Control Extension", ControlComposite(*image.control));
    auto descriptor = MakeShared<Composite>();
    descriptor->Add("separator", UInt8(kImageSeparator));
    descriptor->Add("imageLeft", UInt16(image.left));
    descriptor->Add("imageTop", UInt16(image.top));
    descriptor->Add("imageWidth", UInt16(image.width));
    descriptor->Add("imageHeight", UInt16(image.height));
    descriptor->Add("MI000pixel", UInt8(image.packed));
    c->Add("ImageDescriptor", SharedPtr<IProperty>(descriptor));
    return c;
}

std::string BlockName(const OtherBlock &block)
{
    switch (block.label) {
    case kGraphicControlLabel: return "Graphics Control Extension";
    case kCommentLabel: return "Comment Extension (not implemented)";
    case kApplicationLabel: return "Application Extension (not implemented)";
    default: return "Extension";
    }
}

SharedPtr<IProperty> OtherComposite(const OtherBlock &block)
{
    if (block.control)
        return ControlComposite(*block.control);
    auto c = MakeShared<Composite>();
    c->Add("Introducer", UInt8(kExtensionIntroducer));
    if (block.label != kCommentLabel && block.label != kApplicationLabel)
        c->Add("Label", UInt8(block.label));
    return c;
}

} // namespace

// The blocks in file order, fields as stored. Names repeat for extensions
// that occur more than once: the second and later get "[n]".
SharedPtr<IProperty> GIFDecoder::GetProperty()
{
    std::lock_guard<std::mutex> guard(_mutex);
    const GIF::Structure &s = Structure();
    auto root = MakeShared<Composite>();
    auto header = MakeShared<Composite>();
    header->Add("signature", s.signature, 3);
    header->Add("version", s.version, 3);
    root->Add("Header", SharedPtr<IProperty>(header));
    auto screen = MakeShared<Composite>();
    screen->Add("screenWidth", UInt16(s.screenWidth));
    screen->Add("screenHeight", UInt16(s.screenHeight));
    screen->Add("Mcr0pixel", UInt8(s.screenPacked));
    screen->Add("backgroundIndex", UInt8(s.backgroundIndex));
    screen->Add("pixelAspectRatio", UInt8(s.pixelAspectRatio));
    root->Add("ScreenDescriptor", SharedPtr<IProperty>(screen));
    std::map<std::string, unsigned> seen;
    std::size_t other = 0;
    for (std::size_t i = 0; i <= s.images.size(); ++i) {
        for (; other < s.others.size() && s.others[other].beforeImage == i; ++other) {
            const std::string name = BlockName(s.others[other]);
            const unsigned n = seen[name]++;
            root->Add(n ? name + "[" + std::to_string(n) + "]" : name, OtherComposite(s.others[other]));
        }
        if (i < s.images.size())
            root->Add("Image[" + std::to_string(i) + "]", ImageComposite(s.images[i]));
    }
    if (s.hasTrailer)
        root->Add("End", UInt8(kTrailer));
    return root;
}

} // namespace Brintavolex
