#include "this/src/Codecs.h"

#include "BMP/api/BMPDecoder.h"
#include "GIF/api/GIFDecoder.h"
#include "ICO/api/ICODecoder.h"
#include "JPG/api/JPGDecoder.h"
#include "PNG/api/PNGDecoder.h"
#include "RAW/api/RAWDecoderFactory.h"
#include "TIF/api/TIFDecoder.h"
#include "Platform/api/ErrorLog.h"

#include <mutex>

namespace Brintavolex {

std::vector<SharedPtr<CodecFactory>> BuiltInFactories()
{
    // The fixed order: BMP, GIF, ICO, JPG, PNG, TIF (as far as they exist).
    return {MakeShared<BMPDecoderFactory>(), MakeShared<GIFDecoderFactory>(), MakeShared<ICODecoderFactory>(),
            MakeShared<JPGDecoderFactory>(), MakeShared<PNGDecoderFactory>(),
            MakeShared<TIFDecoderFactory>()};
}

void UseApplicationCodecs()
{
    static std::once_flag once;
    std::call_once(once, [] {
        SetFactoryListBuilder([] {
            std::vector<SharedPtr<CodecFactory>> factories = BuiltInFactories();
            try {
                for (const auto &factory : ScanPlugInFactories())
                    factories.push_back(factory);
            } catch (const std::exception &e) {
                BRINTAVOLEX_LOG(String("PlugIn: scanning for plug-ins failed: ") + e.what());
            }
            return factories;
        });
    });
}

SharedPtr<RAWDecoderSettings> ApplicationRAWDecoderSettings()
{
    static const SharedPtr<RAWDecoderSettings> settings = MakeShared<RAWDecoderSettings>();
    return settings;
}

} // namespace Brintavolex
