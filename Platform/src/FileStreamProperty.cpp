#include "Platform/api/Stream.h"

namespace Brintavolex {

SharedPtr<IProperty> FileStream::GetProperty(const Guid &)
{
    // The file-name property arrives with the property model.
    return nullptr;
}

} // namespace Brintavolex
