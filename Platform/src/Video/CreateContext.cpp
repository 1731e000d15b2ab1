// The one place that knows every back end.

#include "Platform/api/Video/Context.h"
#include "Platform/api/Video/Software.h"
#include "Root/api/Exception.h"

namespace Brintavolex::Platform::Video {

SharedPtr<Context> CreateContext(RendererTypeEnum type)
{
    switch (type) {
    case RendererTypeEnum::Software: return Software::SoftwareContext::Create();
    case RendererTypeEnum::OpenGL:
    case RendererTypeEnum::Direct3D9: break;
    }
    throw Exception(String("Video::CreateContext: no ") + RendererTypeText(type) + " back end in this build");
}

} // namespace Brintavolex::Platform::Video
