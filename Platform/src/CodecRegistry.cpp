#include "Platform/api/CodecFactory.h"

#include "Platform/api/ErrorLog.h"
#include "Platform/api/String.h"

#include <mutex>

namespace Brintavolex {

namespace {

struct Registry {
    std::mutex mutex;
    bool built = false;
    std::function<std::vector<SharedPtr<CodecFactory>>()> builder;
    std::vector<SharedPtr<CodecFactory>> factories;
    // Factories appended at run time (RAW, /DLL) stay behind the built list
    // whenever it is built again.
    std::vector<SharedPtr<CodecFactory>> appended;
};

Registry &TheRegistry()
{
    static Registry registry;
    return registry;
}

void BuildOnce(Registry &registry)
{
    if (registry.built)
        return;
    registry.built = true;
    registry.factories = registry.builder ? registry.builder() : std::vector<SharedPtr<CodecFactory>>{};
    registry.factories.insert(registry.factories.end(), registry.appended.begin(), registry.appended.end());
}

} // namespace

void SetFactoryListBuilder(std::function<std::vector<SharedPtr<CodecFactory>>()> builder)
{
    Registry &registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    registry.builder = std::move(builder);
    registry.built = false;
}

std::vector<SharedPtr<CodecFactory>> GetFactoryList()
{
    Registry &registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    BuildOnce(registry);
    return registry.factories;
}

void AppendFactory(const SharedPtr<CodecFactory> &factory)
{
    if (!factory)
        throw Exception("AppendFactory: factory is nullptr");
    Registry &registry = TheRegistry();
    std::lock_guard<std::mutex> guard(registry.mutex);
    BuildOnce(registry);
    registry.factories.push_back(factory);
    registry.appended.push_back(factory);
}

bool MatchesExtension(StringExpr fileName, StringExpr extensions)
{
    return NameEndings(extensions).Matches(fileName);
}

NameEndings RegisteredNameEndings()
{
    NameEndings endings;
    for (const SharedPtr<CodecFactory> &factory : GetFactoryList())
        endings.AddPatterns(factory->GetExtensions());
    return endings;
}

namespace {

void CheckPath(const IndexPath &path, const char *operation)
{
    for (const SharedPtr<IndexType> &index : path)
        if (!index || !IsKnownIndexType(*index))
            throw Exception(String(operation) + ": unknown index type");
}

// Selects the item and makes the decoder read its headers: a decoder only
// accepts a file whose header parses.
void Select(LoadedItem &loaded, const IndexPath &path)
{
    loaded.item = SelectSceneItem(loaded.decoder, path);
    if (const SharedPtr<IImage2D> image = DynamicPointerCast<IImage2D>(loaded.item)) {
        loaded.image2D = MakeShared<Image2DDataCache>(image);
        Data::BasicInfo info;
        loaded.image2D->DecodeBasicInfo(info);
    } else if (const SharedPtr<IImage3D> volume = DynamicPointerCast<IImage3D>(loaded.item)) {
        loaded.image3D = MakeShared<Image3DDataCache>(volume);
        Data::BasicInfo3D info;
        loaded.image3D->DecodeBasicInfo(info);
    } else {
        throw Exception("bast cast from ISceneItem to IImage2D");
    }
}

LoadedItem TryFactory(const SharedPtr<CodecFactory> &factory, const SharedPtr<IStream> &stream,
                      const String &fileName, const IndexPath &path, const SharedPtr<ILogger> &logger)
{
    LoadedItem loaded;
    loaded.factory = factory;
    stream->seek(0);
    loaded.decoder = factory->Create(stream, logger, fileName);
    if (!loaded.decoder)
        throw Exception();
    Select(loaded, path);
    return loaded;
}

} // namespace

LoadedItem LoadFromStream(const SharedPtr<IStream> &stream, const String &fileName, const IndexPath &path,
                          const SharedPtr<ILogger> &logger)
{
    if (!stream)
        throw Exception("LoadFromStream: stream is nullptr");
    CheckPath(path, "LoadFromStream");
    const std::vector<SharedPtr<CodecFactory>> factories = GetFactoryList();
    // The reason the decoder of the file's extension gave is the one the
    // user sees when no decoder accepts the file.
    String reason = "LoadFromStream: no decoder accepts the file";
    try {
        for (const auto &factory : factories)
            if (MatchesExtension(fileName, factory->GetExtensions()))
                return TryFactory(factory, stream, fileName, path, logger);
    } catch (const std::exception &e) {
        if (*e.what())
            reason = String(e.what());
    }
    for (const auto &factory : factories) {
        try {
            LoadedItem loaded = TryFactory(factory, stream, fileName, path, logger);
            loaded.wrongExtension = true;
            return loaded;
        } catch (const std::exception &) {
        }
    }
    throw NoDecoderAcceptsException(reason);
}

LoadedItem LoadFromStreamGivenDecoder(const SharedPtr<IDecoder> &decoder, const IndexPath &path)
{
    if (!decoder)
        throw Exception("LoadFromStreamGivenDecoder: decoder is nullptr");
    CheckPath(path, "LoadFromStreamGivenDecoder");
    LoadedItem loaded;
    loaded.decoder = decoder;
    Select(loaded, path);
    return loaded;
}

} // namespace Brintavolex
