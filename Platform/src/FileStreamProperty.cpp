#include "Interface/api/Property.h"
#include "Platform/api/Stream.h"

namespace Brintavolex {

SharedPtr<IProperty> FileStream::GetProperty(const Guid &key)
{
    if (key != kFileNamePropertyKey)
        return nullptr;
    return SharedPtr<IProperty>(new StringProperty(_fileName));
}

} // namespace Brintavolex
