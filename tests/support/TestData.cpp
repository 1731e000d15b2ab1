#include "support/TestData.h"

#include "Platform/api/FileSystem.h"
#include "Platform/api/Stream.h"
#include "Platform/api/String.h"

#include <png.h>

#include <cstdlib>
#include <stdexcept>

namespace Brintavolex::TestSupport {

namespace {
String Local(const std::string &path)
{
#ifdef _WIN32
    std::string windows = "Z:" + path;
    for (char &c : windows)
        if (c == '/')
            c = '\\';
    return FromUTF8(windows);
#else
    return FromUTF8(path);
#endif
}
} // namespace

String CachePath(const std::string &relative) { return Local(std::string(BRINTAVOLEX_TEST_CACHE) + "/" + relative); }
String DataPath(const std::string &relative) { return Local(std::string(BRINTAVOLEX_TEST_DATA) + "/" + relative); }
String GeneratedPath(const std::string &relative)
{
    return Local(std::string(BRINTAVOLEX_TEST_GENERATED) + "/" + relative);
}
bool Exists(const String &path) { return Platform::FileExists(path); }

std::string TestDataPath(const std::string &relative)
{
    std::string root = BRINTAVOLEX_TEST_DATA;
#ifdef _WIN32
    // Wine maps the Unix root to drive Z:.
    if (!root.empty() && root.front() == '/')
        root = "Z:" + root;
#endif
    return root + "/" + relative;
}

String PathString(const std::string &path)
{
#ifdef _WIN32
    return String(StringExpr(path));
#else
    return FromUTF8(path);
#endif
}

bool UpdateGoldenFiles() { return std::getenv("BRINTAVOLEX_UPDATE_GOLDEN") != nullptr; }

std::string ReadBytes(const String &path)
{
    FileStream stream(path);
    std::string bytes(std::size_t(stream.size()), '\0');
    if (!bytes.empty())
        stream.read(bytes.data(), bytes.size());
    return bytes;
}

RgbaPicture ReadPng(const std::string &bytes)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        throw std::runtime_error(std::string("ReadPng: ") + image.message);
    image.format = PNG_FORMAT_RGBA;
    RgbaPicture picture;
    picture.width = image.width;
    picture.height = image.height;
    picture.rgba.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, picture.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        throw std::runtime_error(std::string("ReadPng: ") + image.message);
    }
    return picture;
}

} // namespace Brintavolex::TestSupport
