#pragma once

#include "Platform/api/CodecFactory.h"

namespace Brintavolex {

class ILogger;

// One document of the application: a file, the decoder that reads it, the
// index path of the item shown and the item once loaded.
class Slot {
public:
    Slot(String fileName, IndexPath path);
    virtual ~Slot() = default;

    // Opens the file and selects the item: with the decoder the slot already
    // has, else through the registry (extension first, then every decoder).
    void Load(const SharedPtr<ILogger> &logger);

    const String &GetFileName() const noexcept { return _fileName; }
    // FILETIME of the file's last write, read when the slot loaded.
    std::uint64_t GetLastWriteTime() const noexcept { return _lastWriteTime; }
    const SharedPtr<CodecFactory> &GetFactory() const noexcept { return _factory; }
    const SharedPtr<IDecoder> &GetDecoder() const noexcept { return _decoder; }
    const IndexPath &GetIndexPath() const noexcept { return _path; }
    void SetIndexPath(IndexPath path) { _path = std::move(path); }
    const LoadedItem &GetLoaded() const noexcept { return _loaded; }
    // The decoder came from trying every decoder: the extension is wrong.
    bool HasWrongExtension() const noexcept { return _loaded.wrongExtension; }

protected:
    virtual LoadedItem LoadNew(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger);

private:
    String _fileName;
    IndexPath _path;
    std::uint64_t _lastWriteTime = 0;
    SharedPtr<CodecFactory> _factory;
    SharedPtr<IDecoder> _decoder;
    LoadedItem _loaded;
};

// A slot that always loads with one factory (RAW data).
class SlotWithGivenFactory final : public Slot {
public:
    SlotWithGivenFactory(String fileName, IndexPath path, SharedPtr<CodecFactory> factory);

protected:
    LoadedItem LoadNew(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger) override;

private:
    SharedPtr<CodecFactory> _given;
};

} // namespace Brintavolex
