#include "Interface/api/Property.h"
#include "Platform/api/Stream.h"

namespace Brintavolex {

SharedPtr<IProperty> FileStream::GetProperty(const Guid &key)
{
    if (key == kFileNamePropertyKey)
        return MakeShared<StringProperty>(_fileName);
    return nullptr;
}

} // namespace Brintavolex
