#include "this/src/Slot.h"

#include "Platform/api/ErrorLog.h"
#include "this/src/Codecs.h"

namespace Brintavolex {

Slot::Slot(String fileName, IndexPath path) : _fileName(std::move(fileName)), _path(std::move(path)) {}

void Slot::Load(const SharedPtr<ILogger> &logger)
{
    const SharedPtr<FileStream> stream = MakeShared<FileStream>(_fileName);
    _lastWriteTime = stream->GetLastWriteTime();
    if (_decoder) {
        _loaded = LoadFromStreamGivenDecoder(_decoder, _path);
        _loaded.factory = _factory;
        return;
    }
    _loaded = LoadNew(stream, logger);
    _factory = _loaded.factory;
    _decoder = _loaded.decoder;
}

LoadedItem Slot::LoadNew(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger)
{
    UseApplicationCodecs();
    return LoadFromStream(stream, _fileName, _path, logger);
}

SlotWithGivenFactory::SlotWithGivenFactory(String fileName, IndexPath path, SharedPtr<CodecFactory> factory)
    : Slot(std::move(fileName), std::move(path)), _given(std::move(factory))
{
    if (!_given)
        throw Exception("SlotWithGivenFactory: factory is nullptr");
}

LoadedItem SlotWithGivenFactory::LoadNew(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger)
{
    LoadedItem loaded;
    loaded.factory = _given;
    loaded.decoder = _given->Create(stream, logger, GetFileName());
    if (!loaded.decoder)
        throw Exception("SlotWithGivenFactory: the factory made no decoder");
    LoadedItem selected = LoadFromStreamGivenDecoder(loaded.decoder, GetIndexPath());
    selected.factory = _given;
    return selected;
}

} // namespace Brintavolex
