#include "this/src/Cli/Cli.h"

#include "Data/api/PngEncoder.h"
#include "Interface/api/BinaryFile.h"
#include "Platform/api/CodecFactory.h"
#include "this/src/Logger.h"
#include "this/src/PropertyTreeModel.h"
#include "Platform/api/String.h"
#include "this/src/Codecs.h"

#include <memory>

namespace Brintavolex::Cli {

namespace {

const char kUsage[] = "usage: brintavolex-cli info FILE\n"
                      "       brintavolex-cli convert FILE OUT.png\n";

LoadedItem Open(const String &path)
{
    UseApplicationCodecs();
    auto stream = MakeShared<FileStream>(path);
    return LoadFromStream(stream, path, {MakeShared<FirstIndex>()}, MakeShared<NullLogger>());
}

std::string Text(StringExpr text) { return ToUTF8(text); }

void Info(const String &path, std::string &out)
{
    const LoadedItem loaded = Open(path);
    out += "file: " + Text(path) + "\n";
    out += "decoder: " + Text(loaded.factory->GetName()) + "\n";
    out += std::string("wrong extension: ") + (loaded.wrongExtension ? "yes" : "no") + "\n";
    if (loaded.image2D) {
        Data::BasicInfo info;
        loaded.image2D->DecodeBasicInfo(info);
        const char *type = Data::ColorTypeName(info.colorType);
        out += "width: " + std::to_string(info.width) + "\n";
        out += "height: " + std::to_string(info.height) + "\n";
        out += "allocated width: " + std::to_string(info.allocatedWidth) + "\n";
        out += "allocated height: " + std::to_string(info.allocatedHeight) + "\n";
        out += std::string("color type: ") + (type ? type : "unknown") + " (" +
               std::to_string(int(info.colorType)) + ")\n";
    } else if (loaded.image3D) {
        Data::BasicInfo3D info;
        loaded.image3D->DecodeBasicInfo(info);
        const char *type = Data::ColorTypeName(info.colorType);
        out += "width: " + std::to_string(info.width) + "\nheight: " + std::to_string(info.height) +
               "\ndepth: " + std::to_string(info.depth) + "\n";
        out += std::string("color type: ") + (type ? type : "unknown") + "\n";
    }
    const SharedPtr<IProperty> headers = loaded.decoder->GetProperty();
    if (!headers)
        return;
    out += "headers:\n";
    for (const PropertyTreeLine &line : FlattenPropertyTree(headers)) {
        out += std::string(2 * (line.depth + 1), ' ') + Text(line.name);
        if (!line.expandable)
            out += ": " + Text(line.value);
        out += "\n";
    }
}

void Convert(const String &path, const String &target, std::string &out)
{
    const LoadedItem loaded = Open(path);
    if (!loaded.image2D)
        throw Exception("convert: the file holds no 2D picture");
    const std::string png = Data::EncodePng(*loaded.image2D->GetData());
    const std::unique_ptr<BinaryFile> file(BinaryFile::Open(target, BinaryFile::Mode::Replace));
    if (!file)
        throw Exception(String("convert: cannot create ") + target);
    file->Write(png, "convert");
    file->Flush("convert");
    out += "wrote " + Text(target) + "\n";
}

} // namespace

int Run(const std::vector<String> &arguments, std::string &out, std::string &err)
{
    try {
        if (arguments.size() == 2 && arguments[0] == String("info")) {
            Info(arguments[1], out);
            return 0;
        }
        if (arguments.size() == 3 && arguments[0] == String("convert")) {
            Convert(arguments[1], arguments[2], out);
            return 0;
        }
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
