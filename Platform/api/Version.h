#pragma once

namespace Brintavolex {

// Product name and version as the log, the installer and the window show them.
const char *ProductName() noexcept;
const char *ProductVersion() noexcept;

} // namespace Brintavolex
