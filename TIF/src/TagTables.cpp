// The tags of TIFF 6.0 with its published extensions, of Exif 2.2 (Exif, GPS
// and Interoperability directories): names as the definitions give them.
#include "TIF/api/TIFDirectory.h"

#include <cstring>
#include <iterator>

namespace Brintavolex::TIF {

namespace {

constexpr std::uint32_t Type(FieldType t) { return std::uint32_t(1) << unsigned(t); }
constexpr std::uint32_t kByte = Type(FieldType::Byte), kAscii = Type(FieldType::Ascii),
                        kShort = Type(FieldType::Short), kLong = Type(FieldType::Long),
                        kRational = Type(FieldType::Rational),
                        kUndefined = Type(FieldType::Undefined), kSRational = Type(FieldType::SRational),
                        kDouble = Type(FieldType::Double), kIfd = Type(FieldType::Ifd), kLong8 = Type(FieldType::Long8),
                        kIfd8 = Type(FieldType::Ifd8);
constexpr std::uint32_t kShortOrLong = kShort | kLong;
constexpr std::uint32_t kOffsets = kShort | kLong | kLong8;
constexpr std::uint32_t kPointer = kLong | kIfd | kLong8 | kIfd8;
constexpr std::uint32_t kAny = 0;

#define VALUES(table) table, std::size(table)

constexpr ValueName kSubfileType[] = {{1, "full-resolution image", "full-resolution image data"},
                                      {2, "reduced-resolution image", "a reduced-resolution version of another image"},
                                      {3, "single page", "one page of a multi-page image"}};
constexpr ValueName kCompression[] = {
    {1, "None", "no compression"},
    {2, "CCITT RLE", "CCITT modified Huffman run-length encoding"},
    {3, "CCITT Group 3", "CCITT Group 3 fax encoding"},
    {4, "CCITT Group 4", "CCITT Group 4 fax encoding"},
    {5, "LZW", "Lempel-Ziv-Welch"},
    {6, "Old JPEG", "JPEG as TIFF 6.0 first defined it"},
    {7, "JPEG", "JPEG as the TIFF technical note defines it"},
    {8, "Adobe Deflate", "zlib Deflate"},
    {32773, "PackBits", "Macintosh run-length encoding"},
    {32809, "Thunderscan", "ThunderScan 4-bit encoding"},
    {32946, "Deflate", "zlib Deflate (old code)"},
    {34676, "SGI Log Luminance RLE", "SGI LogL run-length encoding"},
    {34677, "SGI Log 24-bit packed", "SGI LogLuv 24-bit packing"}};
constexpr ValueName kPhotometric[] = {{0, "WhiteIsZero", "0 is white"},
                                      {1, "BlackIsZero", "0 is black"},
                                      {2, "RGB", "red, green, blue"},
                                      {3, "Palette color", "indices into the ColorMap"},
                                      {4, "Transparency Mask", "a mask of another image"},
                                      {5, "Separated", "inks, usually CMYK"},
                                      {6, "YCbCr", "luminance and chrominance"},
                                      {8, "CIELab", "CIE L*a*b*"},
                                      {9, "ICCLab", "ICC L*a*b*"},
                                      {10, "ITULab", "ITU L*a*b*"}};
constexpr ValueName kThreshholding[] = {{1, "no dithering", "bilevel without dithering or halftoning"},
                                        {2, "ordered dither", "ordered dither or halftone"},
                                        {3, "randomized", "error diffusion"}};
constexpr ValueName kFillOrder[] = {{1, "MSB first", "lower columns in the higher-order bits"},
                                    {2, "LSB first", "lower columns in the lower-order bits"}};
constexpr ValueName kOrientation[] = {{1, "top left", "row 0 at the top, column 0 at the left"},
                                      {2, "top right", "row 0 at the top, column 0 at the right"},
                                      {3, "bottom right", "row 0 at the bottom, column 0 at the right"},
                                      {4, "bottom left", "row 0 at the bottom, column 0 at the left"},
                                      {5, "left top", "row 0 at the left, column 0 at the top"},
                                      {6, "right top", "row 0 at the right, column 0 at the top"},
                                      {7, "right bottom", "row 0 at the right, column 0 at the bottom"},
                                      {8, "left bottom", "row 0 at the left, column 0 at the bottom"}};
constexpr ValueName kPlanar[] = {{1, "Chunky", "the samples of a pixel together"},
                                 {2, "Planar", "one plane per sample"}};
constexpr ValueName kResponseUnit[] = {{1, "tenths", "tenths of a unit"},     {2, "hundredths", "hundredths"},
                                       {3, "thousandths", "thousandths"},     {4, "ten-thousandths", "ten-thousandths"},
                                       {5, "hundred-thousandths", "hundred-thousandths"}};
constexpr ValueName kResolutionUnit[] = {
    {1, "None", "no absolute unit"}, {2, "Inch", "inch"}, {3, "Centimeter", "centimeter"}};
constexpr ValueName kPredictor[] = {{1, "None", "no prediction"},
                                    {2, "Horizontal differencing", "each sample minus the one before"},
                                    {3, "Floating point", "floating-point horizontal differencing"}};
constexpr ValueName kInkSet[] = {{1, "CMYK", "cyan, magenta, yellow, black"}, {2, "not CMYK", "see InkNames"}};
constexpr ValueName kExtraSamples[] = {{0, "Unspecified", "unspecified data"},
                                       {1, "Associated alpha", "premultiplied alpha"},
                                       {2, "Unassociated alpha", "alpha not premultiplied"}};
constexpr ValueName kSampleFormat[] = {{1, "Unsigned integer", "unsigned integer data"},
                                       {2, "Signed integer", "two's complement signed integer data"},
                                       {3, "IEEE floating point", "IEEE floating-point data"},
                                       {4, "Undefined", "undefined data format"}};
constexpr ValueName kIndexed[] = {{0, "not indexed", "no palette indices"}, {1, "indexed", "palette indices"}};
constexpr ValueName kJPEGProc[] = {{1, "Baseline", "baseline sequential"}, {14, "Lossless", "lossless Huffman"}};
constexpr ValueName kYCbCrPositioning[] = {{1, "Centered", "chroma at the centre of its block"},
                                           {2, "Co-sited", "chroma with the first luma sample"}};

constexpr TagInfo kTiffTags[] = {
    {254, "NewSubfileType", "kind of data in this subfile (bit flags)", kLong, 1},
    {255, "SubfileType", "kind of data in this subfile", kShort, 1, VALUES(kSubfileType)},
    {256, "ImageWidth", "number of columns", kShortOrLong, 1},
    {257, "ImageLength", "number of rows", kShortOrLong, 1},
    {258, "BitsPerSample", "bits per component", kShort, 0},
    {259, "Compression", "compression scheme", kShort, 1, VALUES(kCompression)},
    {262, "PhotometricInterpretation", "colour space of the image data", kShort, 1, VALUES(kPhotometric)},
    {263, "Threshholding", "how grey was turned into black and white", kShort, 1, VALUES(kThreshholding)},
    {264, "CellWidth", "width of the dithering matrix", kShort, 1},
    {265, "CellLength", "height of the dithering matrix", kShort, 1},
    {266, "FillOrder", "order of bits within a byte", kShort, 1, VALUES(kFillOrder)},
    {269, "DocumentName", "name of the scanned document", kAscii, 0},
    {270, "ImageDescription", "description of the image", kAscii, 0},
    {271, "Make", "maker of the scanner or camera", kAscii, 0},
    {272, "Model", "model of the scanner or camera", kAscii, 0},
    {273, "StripOffsets", "byte offset of each strip", kOffsets, 0},
    {274, "Orientation", "row and column order relative to the scene", kShort, 1, VALUES(kOrientation)},
    {277, "SamplesPerPixel", "components per pixel", kShort, 1},
    {278, "RowsPerStrip", "rows in each strip", kShortOrLong, 1},
    {279, "StripByteCounts", "bytes in each strip after compression", kOffsets, 0},
    {280, "MinSampleValue", "minimum component value used", kShort, 0},
    {281, "MaxSampleValue", "maximum component value used", kShort, 0},
    {282, "XResolution", "pixels per ResolutionUnit across", kRational, 1},
    {283, "YResolution", "pixels per ResolutionUnit down", kRational, 1},
    {284, "PlanarConfiguration", "how the components are stored", kShort, 1, VALUES(kPlanar)},
    {285, "PageName", "name of the page", kAscii, 0},
    {286, "XPosition", "left offset of the image in ResolutionUnits", kRational, 1},
    {287, "YPosition", "top offset of the image in ResolutionUnits", kRational, 1},
    {288, "FreeOffsets", "byte offsets of unused strings of bytes", kLong, 0},
    {289, "FreeByteCounts", "lengths of unused strings of bytes", kLong, 0},
    {290, "GrayResponseUnit", "precision of GrayResponseCurve", kShort, 1, VALUES(kResponseUnit)},
    {291, "GrayResponseCurve", "optical density of each grey value", kShort, 0},
    {292, "T4Options", "options of Group 3 compression (bit flags)", kLong, 1},
    {293, "T6Options", "options of Group 4 compression (bit flags)", kLong, 1},
    {296, "ResolutionUnit", "unit of XResolution and YResolution", kShort, 1, VALUES(kResolutionUnit)},
    {297, "PageNumber", "page number and number of pages", kShort, 2},
    {301, "TransferFunction", "transfer function of the image", kShort, 0},
    {305, "Software", "software that created the image", kAscii, 0},
    {306, "DateTime", "date and time of creation (YYYY:MM:DD HH:MM:SS)", kAscii, 20},
    {315, "Artist", "person who created the image", kAscii, 0},
    {316, "HostComputer", "computer that created the image", kAscii, 0},
    {317, "Predictor", "prediction applied before compression", kShort, 1, VALUES(kPredictor)},
    {318, "WhitePoint", "chromaticity of the white point", kRational, 2},
    {319, "PrimaryChromaticities", "chromaticities of the primaries", kRational, 6},
    {320, "ColorMap", "red, green and blue palette tables", kShort, 0},
    {321, "HalftoneHints", "highlight and shadow grey values", kShort, 2},
    {322, "TileWidth", "columns in each tile", kShortOrLong, 1},
    {323, "TileLength", "rows in each tile", kShortOrLong, 1},
    {324, "TileOffsets", "byte offset of each tile", kOffsets, 0},
    {325, "TileByteCounts", "bytes in each tile after compression", kOffsets, 0},
    {330, "SubIFDs", "offsets of child IFDs", kPointer, 0},
    {332, "InkSet", "set of inks of a separated image", kShort, 1, VALUES(kInkSet)},
    {333, "InkNames", "names of the inks", kAscii, 0},
    {334, "NumberOfInks", "number of inks", kShort, 1},
    {336, "DotRange", "component values of 0% and 100% dots", kByte | kShort, 0},
    {337, "TargetPrinter", "intended printing environment", kAscii, 0},
    {338, "ExtraSamples", "meaning of the extra components", kShort, 0, VALUES(kExtraSamples)},
    {339, "SampleFormat", "how to interpret each component", kShort, 0, VALUES(kSampleFormat)},
    {340, "SMinSampleValue", "minimum component value", kAny, 0},
    {341, "SMaxSampleValue", "maximum component value", kAny, 0},
    {342, "TransferRange", "range of the transfer function", kShort, 6},
    {343, "ClipPath", "clipping path of the image", kByte, 0},
    {344, "XClipPathUnits", "horizontal units of the clipping path", kLong, 1},
    {345, "YClipPathUnits", "vertical units of the clipping path", kLong, 1},
    {346, "Indexed", "whether the image holds palette indices", kShort, 1, VALUES(kIndexed)},
    {347, "JPEGTables", "JPEG quantisation and Huffman tables", kUndefined, 0},
    {351, "OPIProxy", "whether this is a proxy of a higher-resolution image", kShort, 1},
    {512, "JPEGProc", "JPEG process", kShort, 1, VALUES(kJPEGProc)},
    {513, "JPEGInterchangeFormat", "offset of a JPEG interchange format stream", kLong, 1},
    {514, "JPEGInterchangeFormatLength", "length of the JPEG stream", kLong, 1},
    {515, "JPEGRestartInterval", "restart interval of the JPEG stream", kShort, 1},
    {517, "JPEGLosslessPredictors", "lossless predictor of each component", kShort, 0},
    {518, "JPEGPointTransforms", "point transform of each component", kShort, 0},
    {519, "JPEGQTables", "offsets of the quantisation tables", kLong, 0},
    {520, "JPEGDCTables", "offsets of the DC Huffman tables", kLong, 0},
    {521, "JPEGACTables", "offsets of the AC Huffman tables", kLong, 0},
    {529, "YCbCrCoefficients", "coefficients from RGB to YCbCr", kRational, 3},
    {530, "YCbCrSubSampling", "chroma subsampling factors across and down", kShort, 2},
    {531, "YCbCrPositioning", "position of chroma samples", kShort, 1, VALUES(kYCbCrPositioning)},
    {532, "ReferenceBlackWhite", "reference black and white values", kRational, 6},
    {32781, "ImageID", "name of the full-resolution original (OPI)", kAscii, 0},
    {32995, "Matteing", "whether the extra component is alpha (obsolete)", kShort, 1},
    {32996, "DataType", "data type of the samples (obsolete)", kShort, 0},
    {32997, "ImageDepth", "number of slices of a volume", kShortOrLong, 1},
    {32998, "TileDepth", "slices in each tile of a volume", kShortOrLong, 1},
    {33432, "Copyright", "copyright notice", kAscii, 0},
    {34665, "Exif IFD Pointer", "offset of the Exif IFD", kPointer, 1},
    {34853, "GPS Info IFD Pointer", "offset of the GPS IFD", kPointer, 1},
    {37439, "StoNits", "sample value to nits", kDouble, 1},
    {37724, "ImageSourceData", "layer and mask data of the image source", kUndefined, 0},
};

constexpr ValueName kExposureProgram[] = {
    {0, "Not defined", "not defined"},          {1, "Manual", "manual"},
    {2, "Normal program", "normal program"},    {3, "Aperture priority", "aperture priority"},
    {4, "Shutter priority", "shutter priority"}, {5, "Creative program", "biased toward depth of field"},
    {6, "Action program", "biased toward fast shutter speed"},
    {7, "Portrait mode", "closeup photos with the background out of focus"},
    {8, "Landscape mode", "landscape photos with the background in focus"}};
constexpr ValueName kMeteringMode[] = {{0, "unknown", "unknown"},
                                       {1, "Average", "average"},
                                       {2, "CenterWeightedAverage", "centre-weighted average"},
                                       {3, "Spot", "spot"},
                                       {4, "MultiSpot", "multi-spot"},
                                       {5, "Pattern", "pattern"},
                                       {6, "Partial", "partial"},
                                       {255, "other", "other"}};
constexpr ValueName kLightSource[] = {
    {0, "unknown", "unknown"}, {1, "Daylight", "daylight"}, {2, "Fluorescent", "fluorescent"},
    {3, "Tungsten", "tungsten (incandescent light)"}, {4, "Flash", "flash"}, {9, "Fine weather", "fine weather"},
    {10, "Cloudy weather", "cloudy weather"}, {11, "Shade", "shade"},
    {12, "Daylight fluorescent", "daylight fluorescent (D 5700 - 7100K)"},
    {13, "Day white fluorescent", "day white fluorescent (N 4600 - 5400K)"},
    {14, "Cool white fluorescent", "cool white fluorescent (W 3900 - 4500K)"},
    {15, "White fluorescent", "white fluorescent (WW 3200 - 3700K)"}, {17, "Standard light A", "standard light A"},
    {18, "Standard light B", "standard light B"}, {19, "Standard light C", "standard light C"}, {20, "D55", "D55"},
    {21, "D65", "D65"}, {22, "D75", "D75"}, {23, "D50", "D50"},
    {24, "ISO studio tungsten", "ISO studio tungsten"}, {255, "other light source", "other light source"}};
constexpr ValueName kFlash[] = {
    {0x00, "Flash did not fire", "flash did not fire"},
    {0x01, "Flash fired", "flash fired"},
    {0x05, "Strobe return light not detected", "flash fired, strobe return light not detected"},
    {0x07, "Strobe return light detected", "flash fired, strobe return light detected"},
    {0x09, "Flash fired, compulsory", "flash fired, compulsory flash mode"},
    {0x0D, "Flash fired, compulsory, return light not detected", "compulsory, return light not detected"},
    {0x0F, "Flash fired, compulsory, return light detected", "compulsory, return light detected"},
    {0x10, "Flash did not fire, compulsory", "flash did not fire, compulsory flash mode"},
    {0x18, "Flash did not fire, auto", "flash did not fire, auto mode"},
    {0x19, "Flash fired, auto", "flash fired, auto mode"},
    {0x1D, "Flash fired, auto, return light not detected", "auto mode, return light not detected"},
    {0x1F, "Flash fired, auto, return light detected", "auto mode, return light detected"},
    {0x20, "No flash function", "no flash function"},
    {0x41, "Flash fired, red-eye reduction", "flash fired, red-eye reduction mode"},
    {0x45, "Flash fired, red-eye reduction, return light not detected", "red-eye, return light not detected"},
    {0x47, "Flash fired, red-eye reduction, return light detected", "red-eye, return light detected"},
    {0x49, "Flash fired, compulsory, red-eye reduction", "compulsory, red-eye reduction"},
    {0x4D, "Flash fired, compulsory, red-eye reduction, return light not detected", "compulsory, red-eye"},
    {0x4F, "Flash fired, compulsory, red-eye reduction, return light detected", "compulsory, red-eye"},
    {0x59, "Flash fired, auto, red-eye reduction", "auto mode, red-eye reduction"},
    {0x5D, "Flash fired, auto, return light not detected, red-eye reduction", "auto mode, red-eye"},
    {0x5F, "Flash fired, auto, return light detected, red-eye reduction", "auto mode, red-eye"}};
constexpr ValueName kColorSpace[] = {{1, "sRGB", "sRGB"}, {0xFFFF, "Uncalibrated", "uncalibrated"}};
constexpr ValueName kFocalPlaneUnit[] = {{2, "Inch", "inch"}, {3, "Centimeter", "centimeter"}};
constexpr ValueName kSensingMethod[] = {{1, "Not defined", "not defined"},
                                        {2, "One-chip color area sensor", "one-chip colour area sensor"},
                                        {3, "Two-chip color area sensor", "two-chip colour area sensor"},
                                        {4, "Three-chip color area sensor", "three-chip colour area sensor"},
                                        {5, "Color sequential area sensor", "colour sequential area sensor"},
                                        {7, "Trilinear sensor", "trilinear sensor"},
                                        {8, "Color sequential linear sensor", "colour sequential linear sensor"}};
constexpr ValueName kFileSource[] = {{3, "DSC", "digital still camera"}};
constexpr ValueName kSceneType[] = {{1, "Directly photographed", "a directly photographed image"}};
constexpr ValueName kCustomRendered[] = {{0, "Normal process", "normal process"},
                                         {1, "Custom process", "custom process"}};
constexpr ValueName kExposureMode[] = {
    {0, "Auto exposure", "auto exposure"}, {1, "Manual exposure", "manual exposure"}, {2, "Auto bracket", "auto bracket"}};
constexpr ValueName kWhiteBalance[] = {{0, "Auto white balance", "auto"}, {1, "Manual white balance", "manual"}};
constexpr ValueName kSceneCaptureType[] = {
    {0, "Standard", "standard"}, {1, "Landscape", "landscape"}, {2, "Portrait", "portrait"}, {3, "Night scene", "night"}};
constexpr ValueName kGainControl[] = {{0, "None", "none"},
                                      {1, "Low gain up", "low gain up"},
                                      {2, "High gain up", "high gain up"},
                                      {3, "Low gain down", "low gain down"},
                                      {4, "High gain down", "high gain down"}};
constexpr ValueName kContrast[] = {{0, "Normal", "normal"}, {1, "Soft", "soft"}, {2, "Hard", "hard"}};
constexpr ValueName kSaturation[] = {
    {0, "Normal", "normal"}, {1, "Low saturation", "low"}, {2, "High saturation", "high"}};
constexpr ValueName kSharpness[] = {{0, "Normal", "normal"}, {1, "Soft", "soft"}, {2, "Hard", "hard"}};
constexpr ValueName kSubjectDistanceRange[] = {
    {0, "unknown", "unknown"}, {1, "Macro", "macro"}, {2, "Close view", "close view"}, {3, "Distant view", "distant"}};

constexpr TagInfo kExifTags[] = {
    {33434, "ExposureTime", "exposure time in seconds", kRational, 1},
    {33437, "FNumber", "F number", kRational, 1},
    {34850, "ExposureProgram", "exposure program", kShort, 1, VALUES(kExposureProgram)},
    {34852, "SpectralSensitivity", "spectral sensitivity of each channel", kAscii, 0},
    {34855, "ISOSpeedRatings", "ISO speed and latitude", kShort, 0},
    {34856, "OECF", "opto-electric conversion function", kUndefined, 0},
    {36864, "ExifVersion", "Exif version", kUndefined, 4},
    {36867, "DateTimeOriginal", "date and time the original image was taken", kAscii, 20},
    {36868, "DateTimeDigitized", "date and time the image was digitised", kAscii, 20},
    {37121, "ComponentsConfiguration", "meaning of each component", kUndefined, 4},
    {37122, "CompressedBitsPerPixel", "compressed bits per pixel", kRational, 1},
    {37377, "ShutterSpeedValue", "shutter speed (APEX)", kSRational, 1},
    {37378, "ApertureValue", "aperture (APEX)", kRational, 1},
    {37379, "BrightnessValue", "brightness (APEX)", kSRational, 1},
    {37380, "ExposureBiasValue", "exposure bias (APEX)", kSRational, 1},
    {37381, "MaxApertureValue", "smallest F number of the lens (APEX)", kRational, 1},
    {37382, "SubjectDistance", "distance to the subject in metres", kRational, 1},
    {37383, "MeteringMode", "metering mode", kShort, 1, VALUES(kMeteringMode)},
    {37384, "LightSource", "kind of light source", kShort, 1, VALUES(kLightSource)},
    {37385, "Flash", "flash status", kShort, 1, VALUES(kFlash)},
    {37386, "FocalLength", "focal length of the lens in millimetres", kRational, 1},
    {37396, "SubjectArea", "location and area of the main subject", kShort, 0},
    {37500, "MakerNote", "notes of the manufacturer", kUndefined, 0},
    {37510, "UserComment", "comments of the user", kUndefined, 0},
    {37520, "SubSecTime", "fractions of a second of DateTime", kAscii, 0},
    {37521, "SubSecTimeOriginal", "fractions of a second of DateTimeOriginal", kAscii, 0},
    {37522, "SubSecTimeDigitized", "fractions of a second of DateTimeDigitized", kAscii, 0},
    {40960, "FlashpixVersion", "supported Flashpix version", kUndefined, 4},
    {40961, "ColorSpace", "colour space", kShort, 1, VALUES(kColorSpace)},
    {40962, "PixelXDimension", "valid image width", kShortOrLong, 1},
    {40963, "PixelYDimension", "valid image height", kShortOrLong, 1},
    {40964, "RelatedSoundFile", "name of a related audio file", kAscii, 13},
    {40965, "Interoperability IFD Pointer", "offset of the Interoperability IFD", kPointer, 1},
    {41483, "FlashEnergy", "strobe energy in BCPS", kRational, 1},
    {41484, "SpatialFrequencyResponse", "spatial frequency table", kUndefined, 0},
    {41486, "FocalPlaneXResolution", "pixels per FocalPlaneResolutionUnit across", kRational, 1},
    {41487, "FocalPlaneYResolution", "pixels per FocalPlaneResolutionUnit down", kRational, 1},
    {41488, "FocalPlaneResolutionUnit", "unit of the focal plane resolution", kShort, 1, VALUES(kFocalPlaneUnit)},
    {41492, "SubjectLocation", "location of the main subject", kShort, 2},
    {41493, "ExposureIndex", "exposure index", kRational, 1},
    {41495, "SensingMethod", "image sensor type", kShort, 1, VALUES(kSensingMethod)},
    {41728, "FileSource", "image source", kUndefined, 1, VALUES(kFileSource)},
    {41729, "SceneType", "scene type", kUndefined, 1, VALUES(kSceneType)},
    {41730, "CFAPattern", "colour filter array pattern", kUndefined, 0},
    {41985, "CustomRendered", "special processing", kShort, 1, VALUES(kCustomRendered)},
    {41986, "ExposureMode", "exposure mode", kShort, 1, VALUES(kExposureMode)},
    {41987, "WhiteBalance", "white balance", kShort, 1, VALUES(kWhiteBalance)},
    {41988, "DigitalZoomRatio", "digital zoom ratio", kRational, 1},
    {41989, "FocalLengthIn35mmFilm", "focal length in 35 mm film", kShort, 1},
    {41990, "SceneCaptureType", "scene capture type", kShort, 1, VALUES(kSceneCaptureType)},
    {41991, "GainControl", "gain control", kShort, 1, VALUES(kGainControl)},
    {41992, "Contrast", "contrast processing", kShort, 1, VALUES(kContrast)},
    {41993, "Saturation", "saturation processing", kShort, 1, VALUES(kSaturation)},
    {41994, "Sharpness", "sharpness processing", kShort, 1, VALUES(kSharpness)},
    {41995, "DeviceSettingDescription", "picture-taking conditions", kUndefined, 0},
    {41996, "SubjectDistanceRange", "distance to the subject", kShort, 1, VALUES(kSubjectDistanceRange)},
    {42016, "ImageUniqueID", "unique image identifier", kAscii, 33},
};
static_assert(std::size(kExifTags) == 57);

constexpr ValueName kAltitudeRef[] = {{0, "Sea level", "above sea level"}, {1, "Below sea level", "below sea level"}};
constexpr ValueName kDifferential[] = {{0, "No correction", "without differential correction"},
                                       {1, "Differential correction", "differential correction applied"}};

constexpr TagInfo kGPSTags[] = {
    {0, "GPSVersionID", "GPS tag version", kByte, 4},
    {1, "GPSLatitudeRef", "north (N) or south (S) latitude", kAscii, 2},
    {2, "GPSLatitude", "latitude in degrees, minutes, seconds", kRational, 3},
    {3, "GPSLongitudeRef", "east (E) or west (W) longitude", kAscii, 2},
    {4, "GPSLongitude", "longitude in degrees, minutes, seconds", kRational, 3},
    {5, "GPSAltitudeRef", "altitude reference", kByte, 1, VALUES(kAltitudeRef)},
    {6, "GPSAltitude", "altitude in metres", kRational, 1},
    {7, "GPSTimeStamp", "UTC time as hour, minute, second", kRational, 3},
    {8, "GPSSatellites", "satellites used for the measurement", kAscii, 0},
    {9, "GPSStatus", "receiver status (A in progress, V interoperability)", kAscii, 2},
    {10, "GPSMeasureMode", "measurement mode (2 or 3 dimensional)", kAscii, 2},
    {11, "GPSDOP", "measurement precision", kRational, 1},
    {12, "GPSSpeedRef", "unit of GPSSpeed (K, M, N)", kAscii, 2},
    {13, "GPSSpeed", "speed of the receiver", kRational, 1},
    {14, "GPSTrackRef", "reference of GPSTrack (T true, M magnetic)", kAscii, 2},
    {15, "GPSTrack", "direction of movement in degrees", kRational, 1},
    {16, "GPSImgDirectionRef", "reference of GPSImgDirection", kAscii, 2},
    {17, "GPSImgDirection", "direction of the image in degrees", kRational, 1},
    {18, "GPSMapDatum", "geodetic survey data", kAscii, 0},
    {19, "GPSDestLatitudeRef", "north or south latitude of the destination", kAscii, 2},
    {20, "GPSDestLatitude", "latitude of the destination", kRational, 3},
    {21, "GPSDestLongitudeRef", "east or west longitude of the destination", kAscii, 2},
    {22, "GPSDestLongitude", "longitude of the destination", kRational, 3},
    {23, "GPSDestBearingRef", "reference of GPSDestBearing", kAscii, 2},
    {24, "GPSDestBearing", "bearing to the destination in degrees", kRational, 1},
    {25, "GPSDestDistanceRef", "unit of GPSDestDistance", kAscii, 2},
    {26, "GPSDestDistance", "distance to the destination", kRational, 1},
    {27, "GPSProcessingMethod", "name of the location method", kUndefined, 0},
    {28, "GPSAreaInformation", "name of the GPS area", kUndefined, 0},
    {29, "GPSDateStamp", "UTC date (YYYY:MM:DD)", kAscii, 11},
    {30, "GPSDifferential", "differential correction", kShort, 1, VALUES(kDifferential)},
};

constexpr TagInfo kInteroperabilityTags[] = {
    {1, "InteroperabilityIndex", "interoperability rule (R98, THM, R03)", kAscii, 0},
    {2, "InteroperabilityVersion", "interoperability version", kUndefined, 4},
    {4096, "RelatedImageFileFormat", "file format of the related image", kAscii, 0},
    {4097, "RelatedImageWidth", "width of the related image", kShortOrLong, 1},
    {4098, "RelatedImageLength", "height of the related image", kShortOrLong, 1},
};

#undef VALUES

} // namespace

const ValueName *TagInfo::FindValue(std::uint64_t v) const noexcept
{
    for (std::size_t i = 0; i < valueCount; ++i)
        if (values[i].value == v)
            return &values[i];
    return nullptr;
}

const TagInfo *TagTable::Find(std::uint16_t tag) const noexcept
{
    for (const TagTable *tags = this; tags; tags = tags->fallback)
        for (std::size_t i = 0; i < tags->count; ++i)
            if (tags->tags[i].tag == tag)
                return &tags->tags[i];
    return nullptr;
}

constinit const TagTable ExtendedIFDSpecification{"TIFF", kTiffTags, std::size(kTiffTags)};
namespace Exif22 {
constinit const TagTable IFDSpecification{"Exif", kExifTags, std::size(kExifTags), &ExtendedIFDSpecification};
}
constinit const TagTable GPSSpecification{"GPS", kGPSTags, std::size(kGPSTags)};
constinit const TagTable InteroperabilitySpecification{"Interoperability", kInteroperabilityTags,
                                                     std::size(kInteroperabilityTags)};

const TagTable *SpecificationFromName(std::string_view name) noexcept
{
    for (const TagTable *tags :
         {&ExtendedIFDSpecification, &Exif22::IFDSpecification, &GPSSpecification, &InteroperabilitySpecification})
        if (name == tags->name)
            return tags;
    return nullptr;
}

} // namespace Brintavolex::TIF
