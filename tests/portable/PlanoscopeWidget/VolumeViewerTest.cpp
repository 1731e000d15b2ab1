// The volume viewer on a headless desktop: every slice it shows of numpy's
// RAW and tifffile's TIFF volumes against numpy's own slices, the layouts
// chosen with the pointer, loading one view after another, and the settings
// both ways.
#include "GUI/api/GUI.h"
#include "GUI/api/Panel.h"
#include "PlanoscopeWidget/api/ImageViewXYXZYZ3DControl.h"
#include "Platform/api/Video/Software.h"
#include "RAW/api/RAWDecoder.h"
#include "TIF/api/TIFDecoder.h"

#include "support/QueuePoster.h"
#include "support/TestData.h"
#include "support/Thrown.h"

#include <gtest/gtest.h>

#include <sstream>

namespace Brintavolex::ImageView {

namespace {

using TestSupport::GeneratedPath;
using TestSupport::ReadBytes;
using O = SliceOrientation;
using State = ImageViewXYXZYZ3DControl::LoadState;

using TestSupport::QueuePoster;

struct Desk {
    static constexpr std::int32_t kLeft = 20, kTop = 10, kWidth = 1200, kHeight = 900;
    Desk()
    {
        gui.SetContext(Platform::Video::Software::SoftwareContext::Create());
        panel = MakeShared<GUI::Panel>();
        panel->SetRect(kLeft, kTop, kLeft + kWidth, kTop + kHeight);
        gui.SetRootPanel(panel);
        gui.SetActivePanel(panel.Get());
        panel->Add(viewer);
        viewer.SetRect(0, 0, kWidth, kHeight);
    }
    ~Desk() { gui.DeleteContextObjects(); }
    void ClickAt(std::int32_t desktopX, std::int32_t desktopY)
    {
        gui.OnMouseMove(desktopX, desktopY);
        gui.OnMouseLButtonDown();
        gui.OnMouseLButtonUp();
    }
    // Opens the layout list and clicks its row.
    void ChooseLayout(std::int32_t row)
    {
        const GUI::Rect r = viewer.LayoutList().GetRect();
        ClickAt(kLeft + (r.x0 + r.x1) / 2, kTop + (r.y0 + r.y1) / 2);
        ASSERT_TRUE(viewer.LayoutList().IsOpen());
        const GUI::Rect open = viewer.LayoutList().GetListPanel()->GetRect();
        const std::int32_t rowHeight = viewer.LayoutList().RowHeight();
        ClickAt(open.x0 + 10, open.y0 + row * rowHeight + rowHeight / 2);
        ASSERT_FALSE(viewer.LayoutList().IsOpen());
    }
    bool AllShown()
    {
        for (O o : {O::XY, O::XZ, O::YZ})
            if (viewer.GetLoadState(o) != State::Shown)
                return false;
        return true;
    }
    GUI::GUI gui;
    SharedPtr<GUI::Panel> panel;
    ImageViewXYXZYZ3DControl viewer;
    SharedPtr<QueuePoster> poster = MakeShared<QueuePoster>();
};

// The samples of the picture a slice view shows, rows packed.
std::string ShownBytes(ImageViewXYXZYZ3DControl &viewer, O o)
{
    const SharedPtr<Data::Image2DBase> &image = viewer.SliceViewer(o).View().GetImage();
    std::string bytes;
    if (!image)
        return bytes;
    Data::DispatchColorType(image->GetColorType(), [&](auto tag) {
        using T = typename decltype(tag)::type;
        const Data::Image2DBase &readOnly = *image;
        const auto lock = readOnly.LockConst<T>();
        for (std::uint64_t y = 0; y < lock.Height(); ++y)
            bytes.append(reinterpret_cast<const char *>(lock.Data() + y * lock.Stride()), lock.Width() * sizeof(T));
    });
    return bytes;
}

// numpy's slices of a volume stored z, y, x: XY planes, XZ planes (rows z),
// YZ planes (rows z, columns y).
struct Volume {
    std::uint64_t x, y, z, sample;
    std::string xy, xz, yz;
    std::uint64_t Count(O o) const { return o == O::XY ? z : o == O::XZ ? y : x; }
    std::string Slice(O o, std::uint64_t k) const
    {
        const std::uint64_t bytes = (o == O::XY ? x * y : o == O::XZ ? x * z : y * z) * sample;
        return (o == O::XY ? xy : o == O::XZ ? xz : yz).substr(k * bytes, bytes);
    }
};

// Each slider moved to every slice in turn; the view shows numpy's slice.
void ExpectEverySliceAsNumpy(Desk &desk, const Volume &volume)
{
    for (O o : {O::XY, O::XZ, O::YZ}) {
        ASSERT_EQ(desk.viewer.Slider(o).GetCount(), volume.Count(o));
        for (std::uint64_t k = 0; k < volume.Count(o); ++k) {
            desk.viewer.Slider(o).Select(k);
            ASSERT_TRUE(desk.poster->RunUntil([&] { return desk.AllShown(); }));
            ASSERT_TRUE(ShownBytes(desk.viewer, o) == volume.Slice(o, k)) << int(o) << " slice " << k;
        }
    }
}

std::uint8_t TypeCode(const std::string &name)
{
    for (int code = 0; code < 256; ++code)
        if (const char *known = Data::ColorTypeName(Data::ColorType(code)); known && name == known)
            return std::uint8_t(code);
    throw std::runtime_error("unknown type " + name);
}

} // namespace

TEST(VolumeViewer, EverySliceOfRawAndTiffVolumesShowsAsNumpySlicesIt)
{
    std::istringstream lines(ReadBytes(GeneratedPath("raw/cases.txt")));
    std::string name, type;
    std::int32_t x, y, z;
    std::int64_t offset;
    int volumes = 0;
    while (lines >> name >> type >> x >> y >> z >> offset) {
        // The long-rowed volume has its own test beside the decoder; one-,
        // four- and eight-byte samples stand for the rest of the types.
        if (z == 0 || x > 100 || (type != "SInt8" && type != "Float32" && type != "UInt64"))
            continue;
        SCOPED_TRACE(name);
        ++volumes;
        const RAWEntry entry{x, y, z, offset, TypeCode(type)};
        const auto decoder = MakeShared<RAW3DDecoder>(MakeShared<FileStream>(GeneratedPath("raw/" + name)), entry);
        const std::string base = "raw/" + name;
        const Volume volume{std::uint64_t(x), std::uint64_t(y), std::uint64_t(z), RAWSampleSize(entry.type),
                            ReadBytes(GeneratedPath(base + ".expected")), ReadBytes(GeneratedPath(base + ".xz")),
                            ReadBytes(GeneratedPath(base + ".yz"))};
        Desk desk;
        desk.viewer.SetItem(decoder->Get(0), "vol", desk.poster);
        ExpectEverySliceAsNumpy(desk, volume);
    }
    EXPECT_EQ(volumes, 3);

    // tifffile's tiled volume; numpy's slices cut here from its z, y, x array.
    const std::string stored = ReadBytes(GeneratedPath("tiff-decoder/volume.tif"));
    const std::string voxels = ReadBytes(GeneratedPath("tiff-decoder/volume.0.expected"));
    const auto decoder = MakeShared<TIFDecoder>(MakeShared<MemoryStream>(stored.data(), stored.size()));
    Data::BasicInfo3D info = decoder->DecodeBasicInfo3D(0);
    Volume volume{info.width, info.height, info.depth, 1, voxels, {}, {}};
    ASSERT_EQ(voxels.size(), volume.x * volume.y * volume.z);
    for (std::uint64_t k = 0; k < volume.y; ++k)
        for (std::uint64_t zz = 0; zz < volume.z; ++zz)
            volume.xz += voxels.substr((zz * volume.y + k) * volume.x, volume.x);
    for (std::uint64_t k = 0; k < volume.x; ++k)
        for (std::uint64_t zz = 0; zz < volume.z; ++zz)
            for (std::uint64_t yy = 0; yy < volume.y; ++yy)
                volume.yz += voxels[(zz * volume.y + yy) * volume.x + k];
    Desk desk;
    desk.viewer.SetItem(decoder->Get(0), "stack", desk.poster);
    ExpectEverySliceAsNumpy(desk, volume);
    EXPECT_EQ(desk.viewer.SliceName(O::YZ), String("stack_YZ_0034"));
}

TEST(VolumeViewer, EveryLayoutChosenWithThePointerPlacesItsViewsApartInsideTheControl)
{
    ImageViewXYXZYZ3DControlSettings settings(nullptr, "ImageView3DSettings"); // outlives the control
    Desk desk;
    int saves = 0;
    Function2<void()> saved;
    saved.ResetCallable([&] { ++saves; });
    desk.viewer.BindSettings(settings, saved);
    EXPECT_EQ(desk.viewer.GetLayout(), VolumeLayout::Vertical) << "the stored default";
    EXPECT_EQ(desk.viewer.LayoutList().GetEntries()[std::size_t(desk.viewer.LayoutList().GetSelectedIndex())],
              String("vertical"));

    const GUI::Rect whole = desk.viewer.GetRect();
    const std::vector<std::pair<std::string, std::vector<int>>> expected = {
        {"XY", {0}},           {"XZ", {1}},    {"YZ", {2}},          {"vertical", {0, 1, 2}},
        {"horizontal", {0, 1, 2}}, {"3D", {3}}, {"all", {0, 1, 2, 3}}, {"3D + XY|XZ|YZ", {0, 1, 2, 3}}};
    for (std::int32_t row = 0; row < 8; ++row) {
        SCOPED_TRACE(expected[row].first);
        desk.ChooseLayout(row);
        EXPECT_EQ(desk.viewer.LayoutList().GetEntries()[std::size_t(row)], String(expected[row].first));
        EXPECT_EQ(settings.layout.Get(), SInt32(desk.viewer.GetLayout()));
        std::vector<GUI::Control *> shown;
        for (int view = 0; view < 4; ++view) {
            std::vector<GUI::Control *> parts;
            if (view < 3)
                parts = {&desk.viewer.SliceViewer(O(view)), &desk.viewer.Slider(O(view)),
                         &desk.viewer.SliderTitle(O(view))};
            else
                parts = {&desk.viewer.View3D()};
            const bool wanted = std::count(expected[row].second.begin(), expected[row].second.end(), view) > 0;
            for (GUI::Control *part : parts) {
                EXPECT_EQ(part->IsVisible(), wanted) << view;
                if (wanted)
                    shown.push_back(part);
            }
        }
        shown.push_back(&desk.viewer.LayoutList());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const GUI::Rect a = shown[i]->GetRect();
            EXPECT_GT(a.Width(), 0);
            EXPECT_GT(a.Height(), 0);
            EXPECT_TRUE(a.x0 >= whole.x0 && a.y0 >= whole.y0 && a.x1 <= whole.x1 && a.y1 <= whole.y1) << i;
            for (std::size_t j = 0; j < i; ++j) {
                const GUI::Rect b = shown[j]->GetRect();
                EXPECT_TRUE(a.x1 <= b.x0 || b.x1 <= a.x0 || a.y1 <= b.y0 || b.y1 <= a.y0) << i << " overlaps " << j;
            }
        }
    }
    EXPECT_GE(saves, 8);
    // The other way: a stored value moves the list; a foreign one is refused.
    settings.layout.Set(SInt32(VolumeLayout::Horizontal));
    EXPECT_EQ(desk.viewer.LayoutList().GetEntries()[std::size_t(desk.viewer.LayoutList().GetSelectedIndex())],
              String("horizontal"));
    EXPECT_EQ(Thrown([&] { desk.viewer.SetLayout(8); }),
              "ImageViewXYXZYZ3DControl::ToolbarDropDownList_XY_XZ_YZ_4x: invalid id");
    // A common toggle reaches every slice view; each view's own stays its own.
    settings.ruler.Set(true);
    for (O o : {O::XY, O::XZ, O::YZ})
        EXPECT_TRUE(desk.viewer.SliceViewer(o).View().IsRulerShown());
    desk.viewer.SliceViewer(O::XZ).RulerButton().OnClick()(desk.viewer.SliceViewer(O::XZ).RulerButton());
    EXPECT_EQ(settings.viewXZ.ruler.Get(), desk.viewer.SliceViewer(O::XZ).RulerButton().IsActive());
    EXPECT_TRUE(settings.viewXY.ruler.Get());
}

TEST(VolumeViewer, ViewsLoadOneAfterAnotherAndAOneSliceVolumeHasADisabledSlider)
{
    // 3 x 2 x 1 samples: one XY slice, two XZ, three YZ.
    const std::string bytes = "abcdef";
    const auto decoder =
        MakeShared<RAW3DDecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size()), RAWEntry{3, 2, 1, 0, TypeCode("UInt8")});
    Desk desk;
    EXPECT_EQ(Thrown([&] { desk.viewer.SetItem(nullptr, "vol", desk.poster); }), "object pointer is nullptr");
    const auto picture = MakeShared<RAW2DDecoder>(MakeShared<MemoryStream>(bytes.data(), bytes.size()),
                                                  RAWEntry{3, 2, 0, 0, TypeCode("UInt8")});
    EXPECT_EQ(Thrown([&] { desk.viewer.SetItem(picture->Get(0), "vol", desk.poster); }),
              "image==3d but image3d_XY_XZ_YZ is invalid");

    desk.viewer.SetItem(decoder->Get(0), "vol", desk.poster);
    EXPECT_EQ(desk.viewer.GetLoadState(O::XY), State::Loading);
    EXPECT_EQ(Locale::Pick(desk.viewer.StatusLabel(O::XY).GetText()).ToStdString().rfind("Loading", 0), 0u);
    for (O o : {O::XZ, O::YZ}) {
        EXPECT_EQ(desk.viewer.GetLoadState(o), State::Waiting);
        EXPECT_EQ(Locale::Pick(desk.viewer.StatusLabel(o).GetText()), String("[waiting for other view]"));
    }
    EXPECT_LE(desk.viewer.CombinedProgress(), 1.0 / 3 + 1e-9);
    ASSERT_TRUE(desk.poster->RunUntil([&] { return desk.AllShown(); }));
    EXPECT_EQ(desk.viewer.CombinedProgress(), 1.0);
    EXPECT_FALSE(desk.viewer.StatusLabel(O::XY).IsVisible());
    EXPECT_TRUE(ShownBytes(desk.viewer, O::XY) == bytes);

    VerticalStreamSliderControl &slider = desk.viewer.Slider(O::XY);
    EXPECT_EQ(slider.GetCount(), 1u);
    EXPECT_FALSE(slider.Children().front()->IsEnabled()) << "the slider itself";
    EXPECT_EQ(desk.viewer.Slider(O::YZ).GetCount(), 3u);
    EXPECT_EQ(desk.viewer.SliceName(O::XY), String("vol_XY_0000"));
    EXPECT_EQ(desk.viewer.SliceName(O::YZ), String("vol_YZ_0001"));
    EXPECT_EQ(desk.viewer.SliceViewer(O::YZ).ProposedSaveName(), u"vol_YZ_0001.png");

    // The 3D view has no picture with this renderer, and says so.
    desk.viewer.SetLayout(SInt32(VolumeLayout::View3D));
    EXPECT_EQ(desk.viewer.View3D().View().Message().GetText()[1],
              String("3D-Rendering ist not supported with the choosen renderer."));
    EXPECT_TRUE(desk.viewer.View3D().View().Message().IsVisible());
    ASSERT_TRUE(desk.gui.PaintPanels());
    desk.viewer.Clear();
    EXPECT_EQ(desk.viewer.GetLoadState(O::XY), State::Empty);
}

} // namespace Brintavolex::ImageView
