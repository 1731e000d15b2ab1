#pragma once

// Texts of the application panel alone, German first.

#include "Platform/api/Language.h"

namespace Brintavolex::ApplicationTexts {

extern const TextPair PreviousFileKeys;
extern const TextPair NextFileKeys;
extern const TextPair FileIndex;
extern const TextPair FileCount;
extern const TextPair RunningPortably;
extern const TextPair NotYetAvailable;
extern const TextPair FileGone;
extern const TextPair OpenFailed;
extern const TextPair DirectoryReading;
extern const TextPair NoPicturesInFolder;

} // namespace Brintavolex::ApplicationTexts
