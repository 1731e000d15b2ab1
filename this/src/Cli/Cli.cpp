#include "this/src/Cli/Cli.h"

#include "Data/api/ExifOrientation.h"
#include "Interface/api/BinaryFile.h"
#include "Platform/api/CodecFactory.h"
#include "Platform/api/String.h"
#include "this/src/Cli/CliPictures.h"
#include "this/src/Cli/PeakMemory.h"
#include "this/src/Codecs.h"
#include "this/src/Logger.h"
#include "this/src/PropertyTreeModel.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>

namespace Brintavolex::Cli {

namespace {

const char kUsage[] = "usage: brintavolex-cli info FILE\n"
                      "       brintavolex-cli convert FILE OUT.png|OUT.raw [--image N] [--slice K] [--upright]\n"
                      "       brintavolex-cli time FILE [--image N] [-n RUNS]\n";

// A command line the tool does not understand: exit code 2.
struct UsageError {};

// More images than anyone lists come only from a broken or hostile decoder.
constexpr std::uint64_t kMostImagesListed = 100000;

struct Options {
    std::optional<std::uint64_t> image; // the decoder's default image when absent
    std::optional<std::uint64_t> slice;
    std::uint64_t runs = 5;
    bool upright = false;
};

std::uint64_t Number(const String &text)
{
    const std::string digits = ToUTF8(text);
    if (digits.empty() || digits.size() > 19 || digits.find_first_not_of("0123456789") != std::string::npos)
        throw UsageError();
    return std::stoull(digits);
}

// The options after the positional arguments; allowed names those the
// command takes. "--upright" stands alone, the others take a number.
Options ParseOptions(const std::vector<String> &arguments, std::size_t first, std::initializer_list<const char *> allowed)
{
    Options options;
    for (std::size_t i = first; i < arguments.size(); i += 2) {
        const std::string name = ToUTF8(arguments[i]);
        if (std::find_if(allowed.begin(), allowed.end(), [&](const char *a) { return name == a; }) == allowed.end())
            throw UsageError();
        if (name == "--upright") {
            options.upright = true;
            --i;
            continue;
        }
        if (i + 1 >= arguments.size())
            throw UsageError();
        const std::uint64_t value = Number(arguments[i + 1]);
        if (name == "--image")
            options.image = value;
        else if (name == "--slice")
            options.slice = value;
        else if (value != 0)
            options.runs = value;
        else
            throw UsageError();
    }
    return options;
}

LoadedItem Open(const String &path, std::optional<std::uint64_t> image)
{
    UseApplicationCodecs();
    auto stream = MakeShared<FileStream>(path);
    const SharedPtr<IndexType> index =
        image ? SharedPtr<IndexType>(MakeShared<ZeroBasedIndex>(*image)) : MakeShared<DefaultIndex>();
    return LoadFromStream(stream, path, {index}, MakeShared<NullLogger>());
}

std::string Text(StringExpr text) { return ToUTF8(text); }

std::string TypeText(Data::ColorType type)
{
    const char *name = Data::ColorTypeName(type);
    return name ? name : "unknown (" + std::to_string(int(type)) + ")";
}

// One line per image of the decoder: index, size, pixel type, .raw layout,
// and an animation frame's delay.
void ListImages(IDecoder &decoder, std::string &out)
{
    const std::uint64_t count = decoder.GetCount();
    out += "images: " + std::to_string(count) + "\n";
    // Marked only where it is not the first, as for most icons.
    const std::uint64_t shownFirst = decoder.GetDefaultIndex();
    for (std::uint64_t i = 0; i < std::min(count, kMostImagesListed); ++i) {
        out += "  " + std::to_string(i) + (i == shownFirst && i != 0 ? " (default): " : ": ");
        try {
            const SharedPtr<ISceneItem> item = decoder.Get(i);
            if (const auto image = DynamicPointerCast<IImage2D>(item)) {
                Data::BasicInfo info;
                image->DecodeBasicInfo(info);
                out += std::to_string(info.width) + " x " + std::to_string(info.height) + ", " +
                       TypeText(info.colorType) + ", raw " + RawLayout(info.colorType);
                if (const std::optional<std::uint32_t> delay = image->GetFrameDelayMilliseconds())
                    out += ", delay " + std::to_string(*delay) + " ms";
                out += "\n";
            } else if (const auto volume = DynamicPointerCast<IImage3D>(item)) {
                Data::BasicInfo3D info;
                volume->DecodeBasicInfo(info);
                out += std::to_string(info.width) + " x " + std::to_string(info.height) + " x " +
                       std::to_string(info.depth) + " voxels, " + TypeText(info.colorType) + ", raw " +
                       RawLayout(info.colorType) + "\n";
            } else {
                out += "no image\n";
            }
        } catch (const std::exception &e) {
            out += std::string("unreadable: ") + e.what() + "\n";
        }
    }
    if (count > kMostImagesListed)
        out += "  (the first " + std::to_string(kMostImagesListed) + " listed)\n";
}

void Info(const String &path, std::string &out)
{
    const LoadedItem loaded = Open(path, std::nullopt);
    out += "file: " + Text(path) + "\n";
    out += "decoder: " + Text(loaded.factory->GetName()) + "\n";
    out += std::string("wrong extension: ") + (loaded.wrongExtension ? "yes" : "no") + "\n";
    if (loaded.image2D) {
        Data::BasicInfo info;
        loaded.image2D->DecodeBasicInfo(info);
        out += "width: " + std::to_string(info.width) + "\n";
        out += "height: " + std::to_string(info.height) + "\n";
        out += "allocated width: " + std::to_string(info.allocatedWidth) + "\n";
        out += "allocated height: " + std::to_string(info.allocatedHeight) + "\n";
        out += "color type: " + TypeText(info.colorType) + " (" + std::to_string(int(info.colorType)) + ")\n";
        out += "exif orientation: " + std::to_string(loaded.image2D->GetExifOrientation()) + "\n";
    } else if (loaded.image3D) {
        Data::BasicInfo3D info;
        loaded.image3D->DecodeBasicInfo(info);
        out += "width: " + std::to_string(info.width) + "\nheight: " + std::to_string(info.height) +
               "\ndepth: " + std::to_string(info.depth) + "\n";
        out += "color type: " + TypeText(info.colorType) + "\n";
    }
    if (const SharedPtr<IProperty> headers = loaded.decoder->GetProperty()) {
        out += "headers:\n";
        for (const PropertyTreeLine &line : FlattenPropertyTree(headers)) {
            out += std::string(2 * (line.depth + 1), ' ') + Text(line.name);
            if (!line.expandable)
                out += ": " + Text(line.value);
            out += "\n";
        }
    }
    ListImages(*loaded.decoder, out);
}

bool EndsWith(const String &path, const char *extension)
{
    String lower = String(path).ToWide();
    ToLower(lower);
    const std::string name = ToUTF8(lower);
    const std::string ending(extension);
    return name.size() > ending.size() && name.compare(name.size() - ending.size(), ending.size(), ending) == 0;
}

void Convert(const String &path, const String &target, const Options &options, std::string &out)
{
    const bool raw = EndsWith(target, ".raw");
    if (!raw && !EndsWith(target, ".png"))
        throw UsageError();
    const LoadedItem loaded = Open(path, options.image);
    if (options.slice && !loaded.image3D)
        throw Exception(("convert: image " + std::to_string(options.image.value_or(0)) + " is no volume; --slice needs one").c_str());
    // Decoded before the target is created, so a failure leaves no file.
    const auto create = [&] {
        std::unique_ptr<BinaryFile> file(BinaryFile::Open(target, BinaryFile::Mode::Replace));
        if (!file)
            throw Exception(String("convert: cannot create ") + target);
        return file;
    };
    std::unique_ptr<BinaryFile> file;
    if (raw && loaded.image3D && !options.slice) {
        if (options.upright)
            throw Exception("convert: --upright turns a picture; a whole volume needs --slice");
        // The whole volume: its voxels lie as .raw files hold them.
        const auto volume = loaded.image3D->GetData(0, 0);
        file = create();
        file->Write(std::string_view(reinterpret_cast<const char *>(volume->voxels.data()), volume->voxels.size()),
                    "convert");
    } else {
        const SharedPtr<Image2DDataCache> picture =
            loaded.image3D ? GetImageFromScene(loaded.item, {MakeShared<XYZeroBasedIndex>(options.slice.value_or(0))})
                           : loaded.image2D;
        SharedPtr<Data::Image2DBase> image = picture->GetData();
        if (options.upright)
            image = Data::UprightCopy(*image, picture->GetExifOrientation());
        const std::string png = raw ? std::string() : PngOf(*image);
        file = create();
        if (raw)
            WriteRaw(*image, *file);
        else
            file->Write(png, "convert");
    }
    file->Flush("convert");
    out += "wrote " + Text(target) + "\n";
}

std::string Milliseconds(double ms)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.3f ms", ms);
    return buffer;
}

// Opens and decodes the file runs times, each time from the start.
void Time(const String &path, const Options &options, std::string &out)
{
    std::vector<double> times;
    for (std::uint64_t run = 0; run < options.runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const LoadedItem loaded = Open(path, options.image);
        if (loaded.image3D)
            loaded.image3D->GetData(0, 0);
        else
            loaded.image2D->GetData();
        const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - start;
        times.push_back(elapsed.count());
    }
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    const double median = n % 2 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
    const std::uint64_t peak = PeakMemoryBytes();
    char memory[64];
    std::snprintf(memory, sizeof memory, "%llu bytes (%.1f MiB)", static_cast<unsigned long long>(peak),
                  double(peak) / 1048576.0);
    out += "runs: " + std::to_string(n) + "\n";
    out += "minimum: " + Milliseconds(times.front()) + "\n";
    out += "median: " + Milliseconds(median) + "\n";
    out += std::string("peak memory: ") + memory + "\n";
}

} // namespace

int Run(const std::vector<String> &arguments, std::string &out, std::string &err)
{
    try {
        const std::string command = arguments.empty() ? std::string() : ToUTF8(arguments[0]);
        if (command == "info" && arguments.size() == 2) {
            Info(arguments[1], out);
            return 0;
        }
        if (command == "convert" && arguments.size() >= 3) {
            Convert(arguments[1], arguments[2], ParseOptions(arguments, 3, {"--image", "--slice", "--upright"}), out);
            return 0;
        }
        if (command == "time" && arguments.size() >= 2) {
            Time(arguments[1], ParseOptions(arguments, 2, {"--image", "-n"}), out);
            return 0;
        }
        throw UsageError();
    } catch (const UsageError &) {
        err += kUsage;
        return 2;
    } catch (const Exception &e) {
        err += ToUTF8(e.Message()) + "\n";
    } catch (const std::exception &e) {
        err += std::string(e.what()) + "\n";
    }
    return 1;
}

} // namespace Brintavolex::Cli
