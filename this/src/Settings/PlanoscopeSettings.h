#pragma once

// Every user setting of the program, in the order it is stored.

#include "Data/api/ColorType.h"
#include "Interface/api/CompositeOfProperties.h"
#include "Interface/api/SettingEnums.h"
#include "PlanoscopeWidget/api/ImageViewXYXZYZ3DControlSettings.h"
#include "PlanoscopeWidget/api/PlanoscopeControlListSettings.h"

namespace Brintavolex {

// The decoders' own settings, stored under "Codecs": the application's RAW
// size tables under "RAWDecoderFactory".
class CodecSettings : public CompositeOfProperties
{
public:
    explicit CodecSettings(CompositeOfProperties *parent);
};

class PlanoscopeSettings : public CompositeOfProperties
{
public:
    // 63/255 grey, opaque.
    static constexpr float kDefaultGrey = 0.247059f;

    // The language takes effect at once, also when it is read from the file.
    PlanoscopeSettings();

    // Members register in this order, which is the order they are stored in.
    PropertyWithNotification<Locale::EnumLanguage> language{this, "Language", Locale::EnumLanguage::Auto};
    PropertyWithNotification<Platform::Video::RendererTypeEnum> renderer{
        this, "Renderer", Platform::Video::RendererTypeEnum::Direct3D9};
    PropertyWithNotification<Data::ColorBGRA<float>> backgroundColor{
        this, "BackgroundColor", Data::ColorBGRA<float>{kDefaultGrey, kDefaultGrey, kDefaultGrey, 1.0f}};
    PropertyWithNotification<bool> imageInfo{this, "ImageInfo", false};
    PropertyWithNotification<bool> consoleOutput{this, "ConsoleOutput", false};
    InitializedProperty<SInt32> windowX0{this, "WindowX0", 0};
    InitializedProperty<SInt32> windowY0{this, "WindowY0", 0};
    InitializedProperty<SInt32> windowX1{this, "WindowX1", 0};
    InitializedProperty<SInt32> windowY1{this, "WindowY1", 0};
    PlanoscopeControlListSettings viewer2D{this, "PlanoscopeSettings"};
    ImageViewXYXZYZ3DControlSettings viewer3D{this, "ImageView3DSettings"};
    InitializedProperty<bool> enableFileDelete{this, "EnableFileDelete", false};
    InitializedProperty<bool> thumbnailIcon{this, "ThumbnailIcon", false};
    InitializedProperty<bool> explorerExport{this, "ExplorerExport", true};
    CodecSettings codecs{this};
};

} // namespace Brintavolex
