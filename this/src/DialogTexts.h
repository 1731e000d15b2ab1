#pragma once

// The texts of the settings, about and anti-aliasing warning dialogs, German
// first (see TextPair).

#include "Platform/api/Language.h"

#include <array>

namespace Brintavolex::DialogTexts {

// Settings dialog.
extern const TextPair SettingsTitle;
extern const TextPair Background;
extern const TextPair SamplingByZoom;
extern const TextPair Above100;
extern const TextPair At100;
extern const TextPair Below100;
extern const TextPair Renderer;
extern const TextPair RequiresRestart;
extern const TextPair Language;
extern const TextPair LanguageAuto;
extern const TextPair LanguageGerman;
extern const TextPair LanguageEnglish;
extern const TextPair DeleteFile;
extern const TextPair DeleteNo;
extern const TextPair DeleteYes;
extern const TextPair Icon;
extern const TextPair IconDefault;
extern const TextPair IconThumbnail;
extern const TextPair Cancel;
extern const TextPair CloseCancel;
// The background greys, darkest first, and a colour that is none of them
// (followed by its components).
extern const TextPair Black;
extern const TextPair DarkGrey;
extern const TextPair DefaultGrey;
extern const TextPair MediumGrey;
extern const TextPair LightGrey;
extern const TextPair White;
extern const TextPair OwnColour;

// About dialog.
extern const TextPair AboutTitle;
extern const TextPair Version;
extern const TextPair Copyright;
extern const TextPair OpenWebPage;
extern const TextPair CloseEsc;

// Forced anti-aliasing warning.
extern const TextPair WarningTitle;
extern const std::array<TextPair, 5> ForcedAntiAliasing;
extern const TextPair Quit;
extern const TextPair Continue;
extern const TextPair CloseContinue;

} // namespace Brintavolex::DialogTexts
