#pragma once

#include "TIF/api/TIFDirectory.h"

namespace Brintavolex::TIF {

// "Byte Order", "Version", "Big Tiff", "Offset Size", "Reserved", "IFD Pointer".
SharedPtr<IProperty> HeaderComposite(const TiffStructure &tiff);

} // namespace Brintavolex::TIF
