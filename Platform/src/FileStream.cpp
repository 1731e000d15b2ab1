// The parts of FileStream that both platforms share.
#include "Data/api/Property.h"
#include "Platform/api/Stream.h"

namespace Brintavolex {

std::uint64_t FileStream::size()
{
    RequireOpen("size");
    return _size;
}

SharedPtr<IStream> FileStream::Clone()
{
    RequireOpen("Clone");
    return MakeShared<FileStream>(_fileName);
}

StreamLock FileStream::lock(std::uint64_t count)
{
    RequireOpen("lock");
    return StreamLock{this, nullptr, count};
}

SharedPtr<IProperty> FileStream::GetProperty(const Guid &key)
{
    if (key == kFileNamePropertyKey)
        return MakeShared<StringProperty>(_fileName);
    return nullptr;
}

} // namespace Brintavolex
