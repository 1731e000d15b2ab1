#pragma once

// Finding and loading plug-in decoders: in-process COM DLLs whose type
// library declares a coclass implementing BrintavolexIDecoder. They are never
// registered; being beside the executable (or named with "/DLL") is enough.
#include "Platform/api/CodecFactory.h"
#include "this/src/Win32/PlugInUnknown.h"

#include <vector>

namespace Brintavolex {

// The decoder factory of one plug-in coclass. It holds the plug-in's class
// factory; the format's name, extensions and filter texts are read once when
// the plug-in is loaded (they describe the class, not a file).
class IDecoderCPPFromCOMFactory final : public DecoderFactory<IDecoderCPPFromCOMFactory> {
public:
    // Asks a first decoder object for the texts; throws when the plug-in
    // fails to give them.
    explicit IDecoderCPPFromCOMFactory(ComPtr<IClassFactory> classFactory);

    String GetName() override { return _name; }
    String GetExtensions() override { return _extensions; }
    TextPair GetFilterStrings() override { return _filters; }
    // A new decoder object reading stream through IStreamCOMFromCPP and
    // reporting to logger through ILoggerCOMFromCPP.
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger,
                               const String &fileName) override;
    SharedPtr<IDecoder> Create(const SharedPtr<IStream> &stream, const SharedPtr<ILogger> &logger) override
    {
        return Create(stream, logger, String());
    }

private:
    ComPtr<BrintavolexIDecoder> NewDecoder() const;

    ComPtr<IClassFactory> _classFactory;
    String _name, _extensions;
    TextPair _filters;
};

namespace PlugIn {

// The factories of every plug-in DLL in folder, in directory-listing order.
// A DLL without a type library is no plug-in and is passed over quietly;
// every other DLL that cannot be loaded, declares no decoder or fails is
// written to the error log and skipped.
std::vector<SharedPtr<CodecFactory>> ScanFolder(const String &folder);

// The factories of one DLL; throws Exception naming the problem. quiet: a
// DLL without a type library gives no factory instead of an error.
std::vector<SharedPtr<CodecFactory>> LoadDll(const String &path, bool quiet);

// "/DLL path": loads exactly that DLL and appends its decoders to the
// registry; a failure is written to the error log and the viewer goes on.
// Returns the number of decoders added.
std::size_t LoadNamedDll(const String &path) noexcept;

} // namespace PlugIn

} // namespace Brintavolex
