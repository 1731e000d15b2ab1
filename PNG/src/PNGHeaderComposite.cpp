#include "Interface/api/Composite.h"
#include "PNG/api/PNGDecoder.h"
#include "PNG/src/PNGReadSession.h"

#include <string>

namespace Brintavolex {

namespace {

constexpr char kNotShown[] = "<not implemented>";

void AddText(Composite &to, const char *name, const char *text, std::size_t length)
{
    to.Add(name, text ? text : "", text ? length : 0);
}
void AddText(Composite &to, const char *name, const std::string &text)
{
    AddText(to, name, text.data(), text.size());
}
void AddText(Composite &to, const char *name, const char *text) { AddText(to, name, text ? std::string(text) : ""); }

// An array of numbers, or "[]" when the file gives none.
template <class T> void AddArray(Composite &to, const char *name, const T *values, std::uint64_t count)
{
    if (!values || count == 0)
        AddText(to, name, "[]");
    else
        to.Add(name, values, count);
}

// A list of structures: children "[0]", "[1]", ... or "[]" when empty.
template <class F> void AddList(Composite &to, const char *name, std::uint64_t count, F element)
{
    if (count == 0) {
        AddText(to, name, "[]");
        return;
    }
    auto list = MakeShared<Composite>();
    for (std::uint64_t i = 0; i < count; ++i) {
        auto item = MakeShared<Composite>();
        element(*item, i);
        list->Add("[" + std::to_string(i) + "]", SharedPtr<IProperty>(item));
    }
    to.Add(name, SharedPtr<IProperty>(list));
}

SharedPtr<IProperty> ValidFlags(png_structp png, png_infop info)
{
    static constexpr struct {
        const char *name;
        png_uint_32 flag;
    } kChunks[] = {{"PLTE", PNG_INFO_PLTE}, {"sBIT", PNG_INFO_sBIT}, {"tRNS", PNG_INFO_tRNS},
                   {"bKGD", PNG_INFO_bKGD}, {"oFFs", PNG_INFO_oFFs}, {"pHYs", PNG_INFO_pHYs},
                   {"hIST", PNG_INFO_hIST}, {"pCAL", PNG_INFO_pCAL}, {"sCAL", PNG_INFO_sCAL},
                   {"IDAT", PNG_INFO_IDAT}};
    auto flags = MakeShared<Composite>();
    for (const auto &chunk : kChunks)
        flags->Add(chunk.name, png_get_valid(png, info, chunk.flag) != 0);
    return flags;
}

void AddColour16(Composite &to, const char *name, const png_color_16 *colour, bool withIndex)
{
    const png_color_16 zero{};
    const png_color_16 &c = colour ? *colour : zero;
    auto item = MakeShared<Composite>();
    item->Add("red", UInt16(c.red));
    item->Add("green", UInt16(c.green));
    item->Add("blue", UInt16(c.blue));
    item->Add("gray", UInt16(c.gray));
    if (withIndex)
        item->Add("index", UInt8(c.index));
    to.Add(name, SharedPtr<IProperty>(item));
}

void AddTransparency(Composite &to, png_structp png, png_infop info)
{
    png_bytep alpha = nullptr;
    int count = 0;
    png_color_16p colour = nullptr;
    if (!png_get_tRNS(png, info, &alpha, &count, &colour))
        alpha = nullptr, count = 0, colour = nullptr;
    to.Add("num_trans", SInt32(count));
    AddColour16(to, "trans_color", colour, true);
    // Only palette files carry alpha values; grey and RGB files a colour.
    AddArray(to, "trans_alpha", png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE ? alpha : nullptr,
             std::uint64_t(count));
}

void AddTexts(Composite &to, png_structp png, png_infop info)
{
    png_textp texts = nullptr;
    int count = 0;
    png_get_text(png, info, &texts, &count);
    to.Add("num_text", SInt32(count));
    AddText(to, "max_text", kNotShown);
    AddList(to, "text", texts ? std::uint64_t(count) : 0, [&](Composite &item, std::uint64_t i) {
        const png_text &t = texts[i];
        item.Add("compression", SInt32(t.compression));
        AddText(item, "key", t.key);
        AddText(item, "text", t.text, t.text ? (t.text_length ? t.text_length : t.itxt_length) : 0);
        item.Add("text_length", UInt64(t.text_length));
        item.Add("itxt_length", UInt64(t.itxt_length));
        AddText(item, "lang", t.lang);
        AddText(item, "lang_key", t.lang_key);
    });
}

void AddCalibration(Composite &to, png_structp png, png_infop info)
{
    png_charp purpose = nullptr, units = nullptr;
    png_charpp params = nullptr;
    png_int_32 x0 = 0, x1 = 0;
    int type = 0, count = 0;
    if (!png_get_pCAL(png, info, &purpose, &x0, &x1, &type, &count, &units, &params))
        count = 0, params = nullptr;
    AddText(to, "pcal_purpose", purpose);
    to.Add("pcal_X0", SInt32(x0));
    to.Add("pcal_X1", SInt32(x1));
    AddText(to, "pcal_units", units);
    AddList(to, "pcal_params", params ? std::uint64_t(count) : 0,
            [&](Composite &item, std::uint64_t i) { AddText(item, "value", params[i]); });
    to.Add("pcal_type", UInt8(type));
    to.Add("pcal_nparams", UInt8(count));
}

void AddUnknownAndSuggested(Composite &to, png_structp png, png_infop info)
{
    png_unknown_chunkp chunks = nullptr;
    const int chunkCount = png_get_unknown_chunks(png, info, &chunks);
    AddList(to, "unknown_chunks", chunks ? std::uint64_t(chunkCount) : 0, [&](Composite &item, std::uint64_t i) {
        const png_unknown_chunk &c = chunks[i];
        AddText(item, "name", reinterpret_cast<const char *>(c.name), 4);
        AddText(item, "data", kNotShown);
        item.Add("size", UInt64(c.size));
        item.Add("location", UInt8(c.location));
    });
    to.Add("unknown_chunks_num", SInt32(chunkCount));

    png_sPLT_tp palettes = nullptr;
    const int paletteCount = png_get_sPLT(png, info, &palettes);
    AddList(to, "splt_palettes", palettes ? std::uint64_t(paletteCount) : 0, [&](Composite &item, std::uint64_t i) {
        const png_sPLT_t &p = palettes[i];
        AddText(item, "name", p.name);
        item.Add("depth", UInt8(p.depth));
        AddText(item, "entries", kNotShown);
        AddText(item, "frequency", kNotShown);
        item.Add("nentries", SInt32(p.nentries));
    });
    to.Add("splt_palettes_num", SInt32(paletteCount));
}

void AddPlacement(Composite &to, png_structp png, png_infop info)
{
    png_int_32 xOffset = 0, yOffset = 0;
    int offsetUnit = 0;
    png_get_oFFs(png, info, &xOffset, &yOffset, &offsetUnit);
    to.Add("x_offset", SInt32(xOffset));
    to.Add("y_offset", SInt32(yOffset));
    to.Add("offset_unit_type", UInt8(offsetUnit));
    png_uint_32 xPixels = 0, yPixels = 0;
    int physUnit = 0;
    png_get_pHYs(png, info, &xPixels, &yPixels, &physUnit);
    to.Add("x_pixels_per_unit", UInt32(xPixels));
    to.Add("y_pixels_per_unit", UInt32(yPixels));
    to.Add("phys_unit_type", UInt8(physUnit));
}

SharedPtr<IProperty> HeaderComposite(png_structp png, png_infop info)
{
    auto root = MakeShared<Composite>();
    Composite &c = *root;
    c.Add("width", UInt32(png_get_image_width(png, info)));
    c.Add("height", UInt32(png_get_image_height(png, info)));
    c.Add("valid", ValidFlags(png, info));
    c.Add("rowbytes", UInt64(png_get_rowbytes(png, info)));
    png_colorp palette = nullptr;
    int paletteCount = 0;
    if (!png_get_PLTE(png, info, &palette, &paletteCount))
        palette = nullptr, paletteCount = 0;
    AddList(c, "palette", palette ? std::uint64_t(paletteCount) : 0, [&](Composite &item, std::uint64_t i) {
        item.Add("red", UInt8(palette[i].red));
        item.Add("green", UInt8(palette[i].green));
        item.Add("blue", UInt8(palette[i].blue));
    });
    c.Add("num_palette", UInt16(paletteCount));
    AddTransparency(c, png, info);
    const int bitDepth = png_get_bit_depth(png, info), channels = png_get_channels(png, info);
    c.Add("bit_depth", UInt8(bitDepth));
    c.Add("color_type", UInt8(png_get_color_type(png, info)));
    c.Add("compression_type", UInt8(png_get_compression_type(png, info)));
    c.Add("filter_type", UInt8(png_get_filter_type(png, info)));
    c.Add("interlace_type", UInt8(png_get_interlace_type(png, info)));
    c.Add("channels", UInt8(channels));
    c.Add("pixel_depth", UInt8(bitDepth * channels));
    AddText(c, "spare_byte", kNotShown);
    const png_const_bytep signature = png_get_signature(png, info);
    AddArray(c, "signature", signature, signature ? 8 : 0);
    AddText(c, "colorspace", kNotShown);
    double gamma = 0;
    png_get_gAMA(png, info, &gamma);
    c.Add("gamma", Float64(gamma));
    png_charp iccpName = nullptr;
    int iccpCompression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    png_get_iCCP(png, info, &iccpName, &iccpCompression, &profile, &profileLength);
    AddText(c, "iccp_name", iccpName);
    AddText(c, "iccp_profile", kNotShown);
    c.Add("iccp_proflen", UInt32(profileLength));
    AddTexts(c, png, info);

    png_timep time = nullptr;
    const png_time noTime{};
    png_get_tIME(png, info, &time);
    const png_time &t = time ? *time : noTime;
    auto modTime = MakeShared<Composite>();
    modTime->Add("year", UInt16(t.year));
    modTime->Add("month", UInt8(t.month));
    modTime->Add("day", UInt8(t.day));
    modTime->Add("hour", UInt8(t.hour));
    modTime->Add("minute", UInt8(t.minute));
    modTime->Add("second", UInt8(t.second));
    c.Add("mod_time", SharedPtr<IProperty>(modTime));

    png_color_8p significant = nullptr;
    png_get_sBIT(png, info, &significant);
    auto sigBit = MakeShared<Composite>();
    const png_color_8 noBits{};
    const png_color_8 &s = significant ? *significant : noBits;
    sigBit->Add("red", UInt8(s.red));
    sigBit->Add("green", UInt8(s.green));
    sigBit->Add("blue", UInt8(s.blue));
    sigBit->Add("gray", UInt8(s.gray));
    sigBit->Add("alpha", UInt8(s.alpha));
    c.Add("sig_bit", SharedPtr<IProperty>(sigBit));

    png_color_16p background = nullptr;
    png_get_bKGD(png, info, &background);
    AddColour16(c, "background", background, true);
    AddPlacement(c, png, info);

    png_bytep exif = nullptr;
    png_uint_32 exifLength = 0;
    png_get_eXIf_1(png, info, &exifLength, &exif);
    c.Add("num_exif", UInt32(exif ? exifLength : 0));
    AddText(c, "exif", kNotShown);
    AddArray(c, "eXIf_buf", exif, exif ? exifLength : 0);
    png_uint_16p histogram = nullptr;
    png_get_hIST(png, info, &histogram);
    AddArray(c, "hist", histogram, histogram ? std::uint64_t(paletteCount) : 0);
    AddCalibration(c, png, info);
    AddText(c, "free_me", kNotShown);
    AddUnknownAndSuggested(c, png, info);

    int scaleUnit = 0;
    png_charp scaleWidth = nullptr, scaleHeight = nullptr;
    png_get_sCAL_s(png, info, &scaleUnit, &scaleWidth, &scaleHeight);
    c.Add("scal_unit", UInt8(scaleUnit));
    AddText(c, "scal_s_width", scaleWidth);
    AddText(c, "scal_s_height", scaleHeight);
    AddText(c, "row_pointers", kNotShown);
    return root;
}

} // namespace

// The chunks before the image data; text and time stored after it are not
// read, since that would mean decoding the picture.
SharedPtr<IProperty> PNGDecoder::GetProperty()
{
    std::lock_guard<std::mutex> guard(_streamMutex);
    const PNG::ReadSession session(*_stream, true);
    return HeaderComposite(session.Png(), session.Info());
}

} // namespace Brintavolex
