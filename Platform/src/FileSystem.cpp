#include "Platform/api/FileSystem.h"

namespace Brintavolex::Platform {

String JoinPath(StringExpr folder, StringExpr name)
{
    if (folder.Empty())
        return String(name);
    const std::uint32_t last = folder.Unit(folder.Length() - 1);
    if (last == '\\' || last == '/')
        return folder + name;
    const char16_t separator[2] = {PathSeparator(), 0};
    return folder + StringExpr(separator) + name;
}

} // namespace Brintavolex::Platform
