#pragma once

// The texts of commands, tooltips and messages that several parts of the
// program share, German first (see TextPair).

#include "Platform/api/Language.h"

#include <span>

namespace Brintavolex::Texts {

extern const TextPair OpenFileEllipsis;
extern const TextPair PreviousFile;
extern const TextPair PreviousFileDisabled;
extern const TextPair NextFile;
extern const TextPair NextFileDisabled;
extern const TextPair DeleteFile;
extern const TextPair DeleteFileDisabled;
extern const TextPair PrintFile;
extern const TextPair PrintFileDisabled;
extern const TextPair DeleteFileTitle;
extern const TextPair InsertClipboard;
extern const TextPair InsertScreenAsImage;
extern const TextPair InsertScreenAsVideo;
extern const TextPair ShowHeader;
extern const TextPair HideHeader;
extern const TextPair SettingsEllipsis;
extern const TextPair OutputEllipsis;
extern const TextPair TasksEllipsis;
extern const TextPair AboutEllipsis;
extern const TextPair FullscreenWindowMode;
extern const TextPair StartSlideshow;
extern const TextPair StopSlideshow;
extern const TextPair SlideshowSpeed;
extern const TextPair EnableExplorerSelection;
extern const TextPair DisableExplorerSelection;
extern const TextPair UpdateFileList;
extern const TextPair NotEnoughMemory;
extern const TextPair OpenFile;
extern const TextPair FileNotOpened;
extern const TextPair FileNotOpenedInternalMessage;
extern const TextPair FileNotOpenedNotEnoughMemory;
extern const TextPair ObjectNotOpened;
extern const TextPair ObjectNotOpenedInternalMessage;
extern const TextPair ObjectNotOpenedNotEnoughMemory;
extern const TextPair Clipboard;
extern const TextPair WrongExtensionWarning;
extern const TextPair FitViewToWindow;
extern const TextPair ZoomOut;
extern const TextPair ZoomIn;
extern const TextPair ZoomFactor;
extern const TextPair Linear;
extern const TextPair Cubic;
extern const TextPair NearestNeighbor;
extern const TextPair AreaSampling;
extern const TextPair MipMapBilinear;
extern const TextPair MipMapTrilinear;
extern const TextPair SamplingMethod;
extern const TextPair RotateCounterclockwise;
extern const TextPair RotateClockwise;
extern const TextPair RotationAngle;
extern const TextPair ShowRuler;
extern const TextPair HideRuler;
extern const TextPair ShowScrollBars;
extern const TextPair HideScrollBars;
extern const TextPair ShowHistogram;
extern const TextPair HideHistogram;
extern const TextPair ShowRGBValues;
extern const TextPair HideRGBValues;
extern const TextPair ShowBrightnessContrast;
extern const TextPair HideBrightnessContrast;
extern const TextPair SaveImageAs;
extern const TextPair ImageNotLoadedCompletely;
extern const TextPair PreviousImage;
extern const TextPair PreviousImageKey;
extern const TextPair NextImage;
extern const TextPair NextImageKey;
extern const TextPair ImageIndex;
extern const TextPair ImageCount;
extern const TextPair PlaneXYXZYZ;
extern const TextPair ResolutionNotSupported;

// Every pair above, in table order.
std::span<const TextPair *const> All();

} // namespace Brintavolex::Texts
