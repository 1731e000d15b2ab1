#pragma once

#include "Data/api/ColorType.h"
#include "Data/api/SceneItem.h"
#include "Platform/api/DataCache.h"
#include "Platform/api/Stream.h"
#include "Root/api/Exception.h"
#include "Root/api/String.h"
#include "Root/api/SharedPtr.h"
#include "Platform/api/Language.h"
#include "Platform/api/NameEndings.h"

#include <functional>
#include <vector>

namespace Brintavolex {

class ILogger;

// Knows one image format: its name, extensions and filter texts, and builds
// a decoder around a stream. Create never reads the stream; the format is
// checked on first use of the decoder.
class CodecFactory {
public:
    virtual ~CodecFactory() = default;
    virtual String GetName() = 0;
    // "*.bmp;*.dib": patterns separated by semicolons.
    virtual String GetExtensions() = 0;
    // German at index 0, English at index 1.
    virtual TextPair GetFilterStrings() = 0;
    virtual SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger,
                                       const String &fileName)
    {
        (void)fileName;
        return Create(stream, logger);
    }
    virtual SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger) = 0;
    virtual Data::BasicInfo GetBasicInfo() { return Data::BasicInfo{}; }
};

// The typed base of each concrete factory F.
template <class F> class DecoderFactory : public CodecFactory {};

// The process-wide factory list: the built-in factories in their fixed order,
// then the plug-in factories, then factories appended later (RAW). Readers
// get a snapshot, so a list that grows on one thread never changes under a
// reader on another.
std::vector<SharedPtr<CodecFactory>> GetFactoryList();
void AppendFactory(const SharedPtr<CodecFactory> &factory);

// True when fileName ends with one of the patterns (NameEndings).
bool MatchesExtension(StringExpr fileName, StringExpr extensions);
// The endings of every registered decoder: the names the registry claims.
NameEndings RegisteredNameEndings();

// What opening a file gives: the factory and decoder that accepted it and the
// selected item, 2D or 3D, as a data cache.
struct LoadedItem {
    SharedPtr<CodecFactory> factory;
    SharedPtr<IDecoder> decoder;
    SharedPtr<ISceneItem> item;
    SharedPtr<Image2DDataCache> image2D;
    SharedPtr<Image3DDataCache> image3D;
    // The decoder was found only by trying all of them.
    bool wrongExtension = false;
};

// No decoder accepted the file; the message is the reason the decoder of
// its extension gave, or that none took it.
class NoDecoderAcceptsException : public Exception
{
public:
    using Exception::Exception;
};

// By extension first; when that fails, every factory in turn. A decoder
// accepts the file only when its header parses. Throws
// NoDecoderAcceptsException when no decoder accepts it.
LoadedItem LoadFromStream(const SharedPtr<IStream> &stream, const String &fileName, const IndexPath &path,
                          const SharedPtr<ILogger> &logger);
// With a decoder the caller has chosen already.
LoadedItem LoadFromStreamGivenDecoder(const SharedPtr<IDecoder> &decoder, const IndexPath &path);

// The list is built once, on first use, by the builder that the application
// sets at start: it knows the decoders, this layer does not. Setting a builder
// builds the list again, appended factories staying at its end. Without a
// builder the list holds only the appended factories.
void SetFactoryListBuilder(std::function<std::vector<SharedPtr<CodecFactory>>()> builder);

} // namespace Brintavolex
