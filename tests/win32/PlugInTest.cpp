// Plug-in decoders: the test plug-in (tests/win32plugins) beside this
// program, the bridges in both directions, the loader's refusals, and the
// real viewer with "/DLL".
#include "BMP/api/BMPDecoder.h"
#include "Interface/api/Composite.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/DataCache.h"
#include "Platform/api/Win32/WideText.h"
#include "this/src/Logger.h"
#include "this/src/PropertyTreeModel.h"
#include "this/src/Win32/PlugInBridges.h"
#include "this/src/Win32/PlugInLoader.h"

#include "TestFormat.h"
#include "Win32Files.h"
#include "support/Pictures.h"
#include "support/TempFolder.h"
#include "support/Thrown.h"
#include "support/Win32/ProcessRunner.h"
#include "this/src/Codecs.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <vector>

namespace Brintavolex {

namespace {

// The registry holds the application's decoders, as in the viewer.
struct CodecsEnvironment : ::testing::Environment {
    void SetUp() override { UseApplicationCodecs(); }
};
const auto *const kCodecs = ::testing::AddGlobalTestEnvironment(new CodecsEnvironment);

using Pixel = Data::ColorBGRA<std::uint8_t>;
using BrintavolexTestFormat::Header;
constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

// A pattern that differs in every channel of every pixel.
std::uint8_t Channel(std::uint32_t x, std::uint32_t y, int c) { return std::uint8_t(x * 7 + y * 31 + c * 64 + 1); }

std::string TestFile(std::uint32_t width, std::uint32_t height, std::uint16_t flags = 0)
{
    Header header;
    header.flags = flags;
    header.width = width;
    header.height = height;
    const std::uint16_t levels[4] = {10, 20, 30, 40};
    std::memcpy(header.levels, levels, sizeof levels);
    std::strcpy(header.comment, "hello plug-in");
    header.gamma = 2.2;
    return BrintavolexTestFormat::MakeFile(header, Channel);
}

// Counts the reports; asks to stop at report stopAt (0: never).
class CountingProgress : public IProgress {
public:
    explicit CountingProgress(int stopAt = 0) : _stopAt(stopAt) {}
    bool SetProgress(double fraction) override
    {
        ++reports;
        last = fraction;
        return reports == _stopAt;
    }
    int reports = 0;
    double last = -1;

private:
    int _stopAt;
};

// 24-bit, bottom-up: (0, 1) is B, G, R = 1, 2, 3.
std::string TwoByTwoBmp()
{
    return std::string("BM") + std::string("\x46\0\0\0\0\0\0\0\x36\0\0\0", 12) +
           std::string("\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x18\0", 16) + std::string(24, '\0') +
           std::string("\x01\x02\x03\x04\x05\x06\0\0\x07\x08\x09\x0A\x0B\x0C\0\0", 16);
}

SharedPtr<CodecFactory> TestFactory()
{
    for (const SharedPtr<CodecFactory> &factory : GetFactoryList())
        if (factory->GetName() == String("Brintavolex Test Decoder"))
            return factory;
    return nullptr;
}

std::string Narrow(const std::wstring &wide) { return String(StringExpr(std::u16string_view(Win32::U(wide.c_str()), wide.size()))).ToStdString(); }

} // namespace

TEST(PlugIn, TheTestDecoderBesideTheProgramDecodesThroughTheRegistry)
{
    const std::vector<SharedPtr<CodecFactory>> factories = GetFactoryList();
    ASSERT_GE(factories.size(), 2u);
    EXPECT_TRUE(factories[0]->GetName() == String("Brintavolex BMP Decoder"));
    const SharedPtr<CodecFactory> factory = TestFactory();
    ASSERT_TRUE(factory) << "the test plug-in beside the program was not loaded";
    EXPECT_TRUE(factory->GetExtensions() == String("*.bvtp"));
    EXPECT_TRUE(factory->GetFilterStrings()[0] == String("Test-Dateien (*.bvtp) \xE4\xF6\xFC"));
    EXPECT_TRUE(factory->GetFilterStrings()[1] == String("Test files (*.bvtp)"));

    // 37 x 5: the host's buffer is padded to 64 pixels a row.
    const std::string file = TestFile(37, 5, BrintavolexTestFormat::Opaque);
    auto stream = MakeShared<MemoryStream>(file.data(), file.size());
    auto logger = MakeShared<LocalLogger>();
    const LoadedItem loaded = LoadFromStream(stream, "picture.BVTP", {MakeShared<FirstIndex>()}, logger);
    EXPECT_FALSE(loaded.wrongExtension);
    EXPECT_TRUE(loaded.factory == factory);
    ASSERT_TRUE(loaded.image2D);
    EXPECT_TRUE(DynamicPointerCast<IDecoderCPPFromCOM>(loaded.decoder));
    EXPECT_EQ(loaded.decoder->GetDecoderQuery(), 7u);
    ASSERT_EQ(logger->Messages().size(), 1u);
    EXPECT_TRUE(logger->Messages()[0][0] == String(u"Testformat ge\u00F6ffnet"));
    EXPECT_TRUE(logger->Messages()[0][1] == String("Test format opened"));

    auto progress = MakeShared<CountingProgress>();
    const SharedPtr<Data::Image2DBase> image = loaded.image2D->GetData(progress);
    ASSERT_EQ(image->GetColorType(), Data::ColorType::BGRAUInt8);
    ASSERT_EQ(image->GetWidth(), 37u);
    ASSERT_EQ(image->GetHeight(), 5u);
    EXPECT_EQ(progress->reports, 5);
    EXPECT_EQ(progress->last, 1.0);
    auto lock = image->Lock<Pixel>(Data::LockReadOnly);
    for (std::uint32_t y = 0; y < 5; ++y)
        for (std::uint32_t x = 0; x < 37; ++x)
            ASSERT_EQ(lock(x, y), (Pixel{Channel(x, y, 0), Channel(x, y, 1), Channel(x, y, 2), Channel(x, y, 3)}))
                << x << "," << y;

    // The same bytes under a foreign name are found by trying every decoder;
    // a BMP under the plug-in's extension goes to the BMP decoder.
    const LoadedItem renamed = LoadFromStream(stream, "picture.bmp", {MakeShared<FirstIndex>()}, logger);
    EXPECT_TRUE(renamed.wrongExtension);
    EXPECT_TRUE(renamed.factory == factory);
    const std::string bmp = TwoByTwoBmp();
    auto bmpStream = MakeShared<MemoryStream>(bmp.data(), bmp.size());
    const LoadedItem foreign = LoadFromStream(bmpStream, "x.bvtp", {MakeShared<FirstIndex>()}, logger);
    EXPECT_TRUE(foreign.wrongExtension);
    EXPECT_TRUE(foreign.factory->GetName() == String("Brintavolex BMP Decoder"));
}

TEST(PlugIn, HeaderPropertiesAndProgressCrossTheBoundary)
{
    const SharedPtr<CodecFactory> factory = TestFactory();
    ASSERT_TRUE(factory);
    const std::string file = TestFile(3, 4, BrintavolexTestFormat::Opaque);
    auto stream = MakeShared<MemoryStream>(file.data(), file.size());
    const SharedPtr<IDecoder> decoder = factory->Create(stream, MakeShared<NullLogger>(), u"C:\\pictures\\\u00E9t\u00E9.bvtp");
    const SharedPtr<IProperty> header = decoder->GetProperty();
    ASSERT_TRUE(DynamicPointerCast<IPropertyCPPFromCOM>(header));
    EXPECT_EQ(header->GetValueType(), 0);

    String text;
    header->GetChild("OpenedAs")->GetAsString(text);
    EXPECT_TRUE(text == String(u"C:\\pictures\\\u00E9t\u00E9.bvtp"));
    EXPECT_EQ(header->GetChild("Gamma")->GetFloat64(), 2.2);
    EXPECT_FALSE(header->GetChild("NoSuchField"));
    // As the property tree window shows it: every name, every value type.
    const std::vector<PropertyTreeLine> lines = FlattenPropertyTree(header);
    const char *names[] = {"Magic", "Version", "Flags", "Width", "Height", "Levels", "Comment", "Gamma", "Opaque", "OpenedAs"};
    ASSERT_EQ(lines.size(), 10u);
    for (std::size_t i = 0; i < 10; ++i)
        EXPECT_TRUE(lines[i].name == String(names[i])) << i;
    EXPECT_TRUE(lines[5].value == String("10, 20, 30, 40")) << lines[5].value.ToStdString();
    EXPECT_TRUE(lines[6].value == String("hello plug-in"));
    EXPECT_TRUE(lines[8].value == String("true"));

    // An array: ranges are checked on this side before the plug-in is asked.
    const SharedPtr<IProperty> levels = header->GetChild("Levels");
    EXPECT_EQ(levels->GetValueType(), ValueType::UInt16);
    ASSERT_EQ(levels->GetValueCount(), 4u);
    std::uint16_t values[4] = {};
    EXPECT_EQ(Thrown([&] { levels->GetAsUInt16(values, 2, 3); }),
              "IPropertyCPPFromCOM::GetAsUInt16: start + count exceeds the value count");
    EXPECT_THROW(levels->GetAsUInt16(values, kMax, 2), std::invalid_argument);
    // The plug-in refuses another type; the failure names the call.
    EXPECT_EQ(Thrown([&] { levels->GetUInt32(); }),
              "IPropertyCPPFromCOM::GetUInt32: failed with HRESULT 0x80004001");

    // Progress: a stop request ends the decode as cancelled; the next try
    // decodes everything.
    auto image = DynamicPointerCast<IImage2D>(decoder->Get(0));
    ASSERT_TRUE(DynamicPointerCast<IImage2DCPPFromCOM>(image));
    auto cache = MakeShared<Image2DDataCache>(image);
    auto stopper = MakeShared<CountingProgress>(2);
    EXPECT_THROW(cache->GetData(stopper), OperationCancelled);
    EXPECT_EQ(stopper->reports, 2);
    EXPECT_EQ(cache->GetData()->GetHeight(), 4u);
    EXPECT_THROW(decoder->Get(1), Exception);
}

TEST(PlugIn, APluginsAnswersAreCheckedLikeDataFromAFile)
{
    const SharedPtr<CodecFactory> factory = TestFactory();
    ASSERT_TRUE(factory);
    auto imageOf = [&](const std::string &file) {
        auto stream = MakeShared<MemoryStream>(file.data(), file.size());
        return DynamicPointerCast<IImage2D>(factory->Create(stream, nullptr)->Get(0));
    };
    Data::BasicInfo info;

    // A picture that grows after the host allocated for it is refused before
    // the plug-in writes anything.
    const std::string grows = TestFile(64, 2, BrintavolexTestFormat::GrowOnSecondAsk);
    const auto growing = imageOf(grows);
    growing->DecodeBasicInfo(info);
    std::vector<Pixel> buffer(64 * 2, Pixel{1, 2, 3, 4});
    EXPECT_EQ(Thrown([&] { growing->GetRect(buffer.data(), 64, 2, nullptr); }),
              "IImage2DCPPFromCOM::GetRect: buffer is smaller than the picture");
    EXPECT_EQ(buffer[0], (Pixel{1, 2, 3, 4}));
    const std::string fine = TestFile(64, 2);
    EXPECT_THROW(imageOf(fine)->GetRect(buffer.data(), 63, 2, nullptr), std::invalid_argument);
    EXPECT_THROW(imageOf(fine)->GetRect(buffer.data(), 64, 1, nullptr), std::invalid_argument);
    EXPECT_EQ(buffer[0], (Pixel{1, 2, 3, 4}));

    const std::string narrow = TestFile(8, 2, BrintavolexTestFormat::SmallAllocatedWidth);
    EXPECT_EQ(Thrown([&] { imageOf(narrow)->DecodeBasicInfo(info); }),
              "IImage2DCPPFromCOM::DecodeBasicInfo: allocated width is smaller than the width");
    const std::string strange = TestFile(8, 2, BrintavolexTestFormat::UnknownColorType);
    EXPECT_EQ(Thrown([&] { imageOf(strange)->DecodeBasicInfo(info); }),
              "IImage2DCPPFromCOM::DecodeBasicInfo: unknown color type");

    // A failing plug-in call becomes an exception naming it; the registry
    // then has no decoder for the file.
    const std::string failing = TestFile(8, 2, BrintavolexTestFormat::FailInGet);
    auto cache = MakeShared<Image2DDataCache>(imageOf(failing));
    EXPECT_EQ(Thrown([&] { cache->GetData(); }), "IImage2DCPPFromCOM::GetRect: failed with HRESULT 0x80004005");
    // A count no file can hold is refused, and the header tree stays empty
    // instead of asking for items without end.
    const std::string endless = TestFile(8, 2, BrintavolexTestFormat::EndlessChildren);
    const SharedPtr<IProperty> header = imageOf(endless)->GetProperty();
    EXPECT_EQ(Thrown([&] { header->GetCount(); }),
              "IPropertyCPPFromCOM::GetCount: the plug-in reports 18446744073709551615 items, more than any file "
              "holds");
    EXPECT_TRUE(FlattenPropertyTree(header).empty());

    const std::string truncated = TestFile(8, 2).substr(0, 60);
    auto stream = MakeShared<MemoryStream>(truncated.data(), truncated.size());
    EXPECT_THROW(LoadFromStream(stream, "short.bvtp", {MakeShared<FirstIndex>()}, MakeShared<NullLogger>()), Exception);
}

TEST(PlugIn, EveryReferenceAcrossTheBoundaryIsReleased)
{
    ASSERT_TRUE(TestFactory());
    const HMODULE module = GetModuleHandleW(L"TestPlugIn.dll");
    ASSERT_TRUE(module);
    using Count = long (*)();
    const auto count =
        reinterpret_cast<Count>(reinterpret_cast<void *>(GetProcAddress(module, "BrintavolexTestObjectCount")));
    ASSERT_TRUE(count);
    const long before = count();
    const std::string file = TestFile(5, 3);
    auto stream = MakeShared<MemoryStream>(file.data(), file.size());
    {
        const LoadedItem loaded = LoadFromStream(stream, "a.bvtp", {MakeShared<FirstIndex>()}, MakeShared<LocalLogger>());
        loaded.image2D->GetData(MakeShared<CountingProgress>());
        EXPECT_EQ(loaded.decoder->GetProperty()->GetChild("Levels")->GetValueCount(), 4u);
        EXPECT_GT(count(), before);
        // The plug-in keeps the stream through its bridge.
        EXPECT_GT(stream.UseCount(), 1);
    }
    EXPECT_EQ(count(), before);
    EXPECT_EQ(stream.UseCount(), 1);
}

TEST(PlugIn, BridgesCarryNativeObjectsThereAndBack)
{
    // A BMP decoded through both bridge directions equals the direct decode.
    const std::string bmp = TwoByTwoBmp();
    auto stream = MakeShared<MemoryStream>(bmp.data(), bmp.size());
    const SharedPtr<ISceneItem> native = MakeShared<BMPDecoder>(stream);
    const ComPtr<BrintavolexISceneItem> com = SceneItemToCOM(native);
    const SharedPtr<ISceneItem> back = SceneItemFromCOM(com);
    ASSERT_TRUE(DynamicPointerCast<ISceneItemCPPFromCOM>(back));
    ASSERT_EQ(back->GetCount(), 1u);
    auto image = DynamicPointerCast<IImage2DCPPFromCOM>(back->Get(0));
    ASSERT_TRUE(image);
    auto progress = MakeShared<CountingProgress>();
    const auto twice = Data::DecodeImage(*image, progress);
    const auto direct = Data::DecodeImage(*DynamicPointerCast<IImage2D>(native->Get(0)), nullptr);
    auto a = twice->Lock<Pixel>(Data::LockReadOnly);
    auto b = direct->Lock<Pixel>(Data::LockReadOnly);
    for (std::uint32_t y = 0; y < 2; ++y)
        for (std::uint32_t x = 0; x < 2; ++x)
            EXPECT_EQ(a(x, y), b(x, y));
    EXPECT_EQ(a(0, 1), (Pixel{1, 2, 3, 255}));
    // Offered to a plug-in, the image refuses a buffer too small for it.
    ComPtr<BrintavolexISceneItem> item;
    ASSERT_EQ(com->Get(0, item.Out()), S_OK);
    const ComPtr<BrintavolexIImage2D> comImage = item.Query<BrintavolexIImage2D>();
    ASSERT_TRUE(comImage);
    std::vector<Pixel> small(4, Pixel{9, 9, 9, 9});
    EXPECT_EQ(comImage->Get(reinterpret_cast<byte *>(small.data()), 1, 4, nullptr), E_INVALIDARG);
    EXPECT_EQ(comImage->Get(nullptr, 2, 2, nullptr), E_INVALIDARG);
    EXPECT_EQ(small[0], (Pixel{9, 9, 9, 9}));
    EXPECT_EQ(comImage->Get(reinterpret_cast<byte *>(small.data()), 2, 2, nullptr), S_OK);
    EXPECT_EQ(small[2], (Pixel{1, 2, 3, 255}));
    // The header tree reads the same through both bridges.
    const std::vector<PropertyTreeLine> bridged = FlattenPropertyTree(back->GetProperty());
    const std::vector<PropertyTreeLine> plain = FlattenPropertyTree(native->GetProperty());
    ASSERT_GT(plain.size(), 10u);
    ASSERT_EQ(bridged.size(), plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        EXPECT_TRUE(bridged[i].name == plain[i].name) << i;
        EXPECT_TRUE(bridged[i].value == plain[i].value) << plain[i].name.ToStdString();
        EXPECT_EQ(bridged[i].depth, plain[i].depth);
        EXPECT_EQ(bridged[i].expandable, plain[i].expandable);
    }

    // A volume: slices of the caller's rows and stride.
    // A 3 x 2 x 2 volume of UInt16 voxels x + 10 y + 100 z.
    const SharedPtr<ISceneItem> volume = SceneItemFromCOM(SceneItemToCOM(MakeShared<TestSupport::FunctionVolume<std::uint16_t>>(
        3, 2, 2, [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return std::uint16_t(x + 10 * y + 100 * z); })));
    auto volumeBack = DynamicPointerCast<IImage3DCPPFromCOM>(volume);
    ASSERT_TRUE(volumeBack);
    Data::BasicInfo3D info3D;
    volumeBack->DecodeBasicInfo(info3D);
    EXPECT_EQ(info3D.depth, 2u);
    EXPECT_EQ(info3D.colorType, Data::ColorType::UInt16);
    std::vector<std::uint16_t> voxels(4 * 3 * 2, 0xFFFF);
    auto slices = MakeShared<CountingProgress>();
    volumeBack->GetRect(voxels.data(), 4, 3, slices);
    EXPECT_EQ(voxels[(1 * 3 + 1) * 4 + 2], 112);
    EXPECT_EQ(voxels[3], 0xFFFF);
    EXPECT_EQ(slices->reports, 2);
    EXPECT_THROW(volumeBack->GetRect(voxels.data(), 2, 3, nullptr), std::invalid_argument);

    // Properties: names, types, values and children survive; a native
    // refusal comes back as an exception naming the plug-in-side call.
    auto composite = MakeShared<Composite>();
    composite->Add("Flag", true);
    composite->Add("Count", UInt64(1234567890123ull));
    composite->Add("Ratio", 0.5);
    composite->Add("Name", MakeShared<StringProperty>(String(u"\u0141\u00F3d\u017A")));
    const SInt16 deltaValues[] = {-100, -200, -300};
    composite->Add("Deltas", deltaValues, 3);
    const ComPtr<BrintavolexIProperty> comProperty = PropertyToCOM(composite);
    const SharedPtr<IProperty> property = PropertyFromCOM(comProperty);
    ASSERT_EQ(property->GetCount(), 5u);
    EXPECT_TRUE(property->GetChildName(3) == String("Name"));
    EXPECT_TRUE(property->GetChild("Flag")->GetBool());
    EXPECT_EQ(property->GetChild("Count")->GetUInt64(), 1234567890123ull);
    EXPECT_EQ(property->GetChildAt(2)->GetFloat64(), 0.5);
    String name;
    property->GetChild("Name")->GetAsString(name);
    EXPECT_TRUE(name == String(u"\u0141\u00F3d\u017A"));
    SInt16 deltas[2] = {};
    property->GetChild("Deltas")->GetAsSInt16(deltas, 1, 2);
    EXPECT_EQ(deltas[0], -200);
    EXPECT_EQ(deltas[1], -300);
    EXPECT_EQ(Thrown([&] { property->GetChild("Count")->GetFloat64(); }),
              "IPropertyCPPFromCOM::GetFloat64: failed with HRESULT 0x80004005");

    // Called directly, our COM objects refuse bad requests with an HRESULT
    // and never let an exception out.
    ComPtr<BrintavolexIProperty> count;
    const Bstr countName("Count");
    ASSERT_EQ(comProperty->GetChild(countName.Get(), count.Out()), S_OK);
    ULONGLONG value = 0;
    EXPECT_EQ(count->GetAsUInt64(&value, kMax, 2), E_INVALIDARG);
    EXPECT_EQ(count->GetAsUInt64(nullptr, 0, 1), E_INVALIDARG);
    ComPtr<BrintavolexISceneItem> none;
    EXPECT_EQ(comProperty->Get(99, none.Out()), E_INVALIDARG);
    EXPECT_FALSE(comProperty.Query<BrintavolexIImage2D>());
}

TEST(PlugIn, StreamsLoggersAndProgressOfferedToAPlugIn)
{
    TestSupport::TempFolder folder;
    const std::string path = folder.Write("bytes.bin", "0123456789");
    auto fileStream = MakeShared<FileStream>(String(path.c_str()));
    const ComPtr<BrintavolexIStream> stream = MakeCom<IStreamCOMFromCPP>(fileStream);
    byte bytes[8] = {};
    ASSERT_EQ(stream->Seek(6), S_OK);
    // Past the end: a failure, not an exception, and nothing is promised.
    EXPECT_NE(stream->Read(bytes, 5), S_OK);
    EXPECT_NE(stream->Read(nullptr, 1), S_OK);
    ComPtr<BrintavolexIStream> clone;
    ASSERT_EQ(stream->Clone(clone.Out()), S_OK);
    ASSERT_EQ(clone->Seek(1), S_OK);
    ASSERT_EQ(clone->Read(bytes, 2), S_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(bytes), 2), "12");
    GUID key;
    std::memcpy(&key, &kFileNamePropertyKey, sizeof key);
    ComPtr<BrintavolexIProperty> fileName;
    ASSERT_EQ(stream->GetProperty(&key, fileName.Out()), S_OK);
    ASSERT_TRUE(fileName);
    Bstr text;
    ASSERT_EQ(fileName->GetAsString(text.Out()), S_OK);
    EXPECT_TRUE(text.ToString() == String(path.c_str()));
    EXPECT_EQ(stream->GetProperty(nullptr, fileName.Out()), E_INVALIDARG);

    auto logger = MakeShared<LocalLogger>();
    const ComPtr<BrintavolexILogger> comLogger = MakeCom<ILoggerCOMFromCPP>(logger);
    const Bstr english("Greetings");
    EXPECT_EQ(comLogger->Log(nullptr), S_OK);
    ASSERT_EQ(logger->Messages().size(), 1u);
    EXPECT_TRUE(logger->Messages()[0][1].Empty());
    EXPECT_EQ(MakeCom<ILoggerCOMFromCPP>(nullptr)->Log(english.Get()), S_OK);

    auto counting = MakeShared<CountingProgress>();
    const ComPtr<IProgressCOMFromCPP> progress = MakeCom<IProgressCOMFromCPP>(counting);
    boolean stop = 1;
    EXPECT_EQ(progress->SetProgress(std::nan(""), &stop), E_INVALIDARG);
    EXPECT_EQ(progress->SetProgress(1.5, &stop), E_INVALIDARG);
    EXPECT_EQ(progress->SetProgress(0.5, nullptr), E_INVALIDARG);
    EXPECT_EQ(MakeCom<IProgressCOMFromCPP>(nullptr)->SetProgress(0.5, &stop), E_FAIL);
    EXPECT_EQ(counting->reports, 0);
}

TEST(PlugIn, TheLoaderRefusesWhatIsNoPlugIn)
{
    const String bin(StringExpr(std::u16string_view(Win32::U(TestSupport::ModuleFolder().c_str()))));
    const String faults = bin + "plugin-faults\\";
    // Beside this program: the test decoder; the DLL without a type library
    // is passed over without a word.
    const auto beside = PlugIn::ScanFolder(bin);
    ASSERT_EQ(beside.size(), 1u);
    EXPECT_TRUE(beside[0]->GetName() == String("Brintavolex Test Decoder"));
    EXPECT_TRUE(PlugIn::LoadDll(bin + "TestPlainLibrary.dll", true).empty());
    EXPECT_EQ(Thrown([&] { PlugIn::LoadDll(bin + "TestPlainLibrary.dll", false); }), "no type library");
    // The broken ones' messages: the viewer's log in the tests below.
    EXPECT_TRUE(PlugIn::ScanFolder(faults).empty());
    EXPECT_EQ(PlugIn::LoadNamedDll(faults + "TestNoDecoder.dll"), 0u);
}

namespace {

using TestSupport::ReadFileW;
using TestSupport::SpecialFolder;

// The viewer's own error log and the entries it gained during one run.
class ViewerLog {
public:
    ViewerLog()
        : _path(SpecialFolder(CSIDL_LOCAL_APPDATA) + L"\\Brintavolex Viewer\\Brintavolex Viewer.log"),
          _start(ReadFileW(_path).size())
    {
    }
    std::vector<std::string> NewLinesWith(const std::string &needle) const
    {
        const std::string text = ReadFileW(_path);
        std::vector<std::string> lines;
        std::istringstream in(text.size() >= _start ? text.substr(_start) : text);
        for (std::string line; std::getline(in, line);)
            if (line.find(needle) != std::string::npos)
                lines.push_back(line);
        return lines;
    }

private:
    std::wstring _path;
    std::size_t _start;
};

// Collects what the test plug-ins' DllGetClassObject saw while it lives.
class PlugInTrace {
public:
    explicit PlugInTrace(const TestSupport::TempFolder &folder) : _path(folder.File("trace.txt"))
    {
        SetEnvironmentVariableW(L"BRINTAVOLEX_TEST_PLUGIN_TRACE", Win32::ToW(StringExpr(_path.c_str())).c_str());
    }
    ~PlugInTrace() { SetEnvironmentVariableW(L"BRINTAVOLEX_TEST_PLUGIN_TRACE", nullptr); }
    bool Saw(const std::string &name) const
    {
        return ReadFileW(Win32::ToW(StringExpr(_path.c_str()))).find(name) != std::string::npos;
    }

private:
    std::string _path;
};

void Copy(const std::wstring &from, const std::string &to)
{
    ASSERT_TRUE(CopyFileW(from.c_str(), Win32::ToW(StringExpr(to.c_str())).c_str(), FALSE)) << Narrow(from);
}

std::string Leaf(const std::string &path) { return path.substr(path.find_last_of("\\/") + 1); }

void RemoveDesktopReport() { DeleteFileW((SpecialFolder(CSIDL_DESKTOP) + L"\\Brintavolex Viewer.log").c_str()); }

} // namespace

TEST(PlugInViewer, DllSwitchLoadsExactlyTheNamedPlugIn)
{
    TestSupport::TempFolder folder;
    const std::wstring bin = TestSupport::ModuleFolder();
    Copy(bin + L"TestPlugIn.dll", folder.File("Named.dll"));
    Copy(bin + L"TestPlugIn.dll", folder.File("Sibling.dll"));
    const PlugInTrace trace(folder);
    ViewerLog log;
    std::vector<std::wstring> dialogs;
    const std::wstring viewer = L"\"" + TestSupport::ViewerPath() + L"\" ";
    EXPECT_EQ(TestSupport::RunProcessAnsweringDialogs(
                  viewer + L"/DLL \"" + Win32::ToW(StringExpr(folder.File("Named.dll").c_str())) + L"\"", dialogs),
              0ul);
    EXPECT_TRUE(dialogs.empty());
    EXPECT_TRUE(trace.Saw(Leaf(folder.Path()) + "\\Named.dll"));
    EXPECT_FALSE(trace.Saw("Sibling.dll"));
    // The plug-in beside the viewer is loaded as well, as on every start.
    EXPECT_TRUE(trace.Saw("\\TestPlugIn.dll"));
    EXPECT_TRUE(log.NewLinesWith("PlugIn:").empty());

    // A path that is no plug-in is logged; the viewer ends normally after
    // showing the problem notice.
    const std::string garbage = folder.Write("Garbage.dll", std::string(1000, '\x01'));
    EXPECT_EQ(TestSupport::RunProcessAnsweringDialogs(
                  viewer + L"/DLL \"" + Win32::ToW(StringExpr(garbage.c_str())) + L"\"", dialogs),
              0ul);
    EXPECT_EQ(TestSupport::RunProcessAnsweringDialogs(viewer + L"/DLL C:\\none.dll", dialogs), 0ul);
    EXPECT_EQ(dialogs.size(), 2u);
    for (const std::wstring &caption : dialogs)
        EXPECT_EQ(caption, L"Brintavolex Viewer");
    const auto entries = log.NewLinesWith("PlugIn: ");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0].find(Leaf(folder.Path()) + "\\Garbage.dll: skipped: LoadLibraryExW failed with error code 193"),
              std::string::npos)
        << entries[0];
    EXPECT_NE(entries[1].find("PlugIn: C:\\none.dll: skipped: LoadLibraryExW failed with error code"), std::string::npos)
        << entries[1];
    RemoveDesktopReport();
}

TEST(PlugInViewer, BrokenDllsBesideTheViewerAreLoggedAndSkipped)
{
    // A copy of the viewer in a folder of its own, with a good plug-in, a
    // DLL without type library and three broken ones.
    TestSupport::TempFolder folder;
    const std::wstring bin = TestSupport::ModuleFolder();
    Copy(TestSupport::ViewerPath(), folder.File("Brintavolex Viewer.exe"));
    Copy(bin + L"TestPlugIn.dll", folder.File("Good.dll"));
    Copy(bin + L"TestPlainLibrary.dll", folder.File("Plain.dll"));
    Copy(bin + L"plugin-faults\\TestNoDecoder.dll", folder.File("NoDecoder.dll"));
    Copy(bin + L"plugin-faults\\TestFailingPlugIn.dll", folder.File("Failing.dll"));
    folder.Write("Garbage.dll", "MZ but nothing else");
    const PlugInTrace trace(folder);
    ViewerLog log;
    std::vector<std::wstring> dialogs;
    EXPECT_EQ(TestSupport::RunProcessAnsweringDialogs(
                  L"\"" + Win32::ToW(StringExpr(folder.File("Brintavolex Viewer.exe").c_str())) + L"\"", dialogs),
              0ul);
    EXPECT_EQ(dialogs.size(), 1u);
    EXPECT_TRUE(trace.Saw(Leaf(folder.Path()) + "\\Good.dll"));
    EXPECT_TRUE(trace.Saw(Leaf(folder.Path()) + "\\Failing.dll"));
    const auto entries = log.NewLinesWith(Leaf(folder.Path()));
    EXPECT_EQ(entries.size(), 3u);
    auto logged = [&](const std::string &text) {
        for (const std::string &line : entries)
            if (line.find(text) != std::string::npos)
                return true;
        return false;
    };
    EXPECT_TRUE(logged("Garbage.dll: skipped: LoadLibraryExW failed with error code"));
    EXPECT_TRUE(logged("NoDecoder.dll: skipped: no coclass implements BrintavolexIDecoder"));
    EXPECT_TRUE(logged("Failing.dll: skipped: DllGetClassObject: failed with HRESULT 0x80040111"));
    EXPECT_FALSE(logged("Plain.dll"));
    EXPECT_FALSE(logged("Good.dll"));
    RemoveDesktopReport();
}

TEST(PlugInViewer, TheViewerCarriesTheInterfaceTypeLibrary)
{
    ComPtr<ITypeLib> library;
    ASSERT_EQ(LoadTypeLibEx(TestSupport::ViewerPath().c_str(), REGKIND_NONE, library.Out()), S_OK);
    ComPtr<ITypeInfo> decoder;
    ASSERT_EQ(library->GetTypeInfoOfGuid(__uuidof(BrintavolexIDecoder), decoder.Out()), S_OK);
    TYPEATTR *attributes = nullptr;
    ASSERT_EQ(decoder->GetTypeAttr(&attributes), S_OK);
    // Six methods of its own after the three scene-item methods.
    EXPECT_EQ(attributes->cFuncs, 6);
    decoder->ReleaseTypeAttr(attributes);
    for (const GUID &iid : {__uuidof(BrintavolexISceneItem), __uuidof(BrintavolexIProperty),
                            __uuidof(BrintavolexIProgress), __uuidof(BrintavolexIStream),
                            __uuidof(BrintavolexILogger), __uuidof(BrintavolexIImage2D), __uuidof(BrintavolexIImage3D)}) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(library->GetTypeInfoOfGuid(iid, info.Out()), S_OK);
    }
}

} // namespace Brintavolex
