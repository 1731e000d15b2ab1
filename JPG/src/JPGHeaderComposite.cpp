#include "Interface/api/Composite.h"
#include "JPG/api/JPGDecoder.h"
#include "JPG/src/JPGStructure.h"
#include "TIF/api/TIFDirectory.h"

#include <map>
#include <string>

namespace Brintavolex {

namespace {

using namespace JPG;

std::string MarkerName(std::uint8_t m)
{
    switch (m) {
    case 0xD8: return "SOI: Start Of Image";
    case 0xC0: return "SOF: Start Of Frame: Baseline DCT";
    case 0xC1: return "SOF: Start Of Frame: Extended Sequential DCT Huffman";
    case 0xC2: return "SOF: Start Of Frame: Progressive DCT";
    case 0xC3: return "SOF: Start Of Frame: Lossless";
    case 0xC4: return "DHT: Define Huffman Table";
    case 0xC5: return "SOF: Start Of Frame: Differential Sequential DCT Huffman";
    case 0xC6: return "SOF: Start Of Frame: Differential Progressive DCT Huffman";
    case 0xC7: return "SOF: Start Of Frame: Differential Lossless Huffman";
    case 0xC8: return "JPG: Reserved for JPEG extensions";
    case 0xC9: return "SOF: Start Of Frame: Extended Sequential DCT Arithmetic";
    case 0xCA: return "SOF: Start Of Frame: Progressive DCT Arithmetic";
    case 0xCB: return "SOF: Start Of Frame: Lossless (Sequential) Arithmetic";
    case 0xCC: return "DAC: Define Arithmetic Coding conditioning(s)";
    case 0xCD: return "SOF: Start Of Frame: Differential Sequential DCT Arithmetic";
    case 0xCE: return "SOF: Start Of Frame: Differential Progressive DCT Arithmetic";
    case 0xCF: return "SOF: Start Of Frame: Differential Lossless Arithmetic";
    case 0xD9: return "EOI: End Of Image";
    case 0xDA: return "SOS: Start Of Scan";
    case 0xDB: return "DQT: Define Quantization Table";
    case 0xDC: return "DNL: Define Number of Lines";
    case 0xDD: return "DRI: Define Restart Interval";
    case 0xDE: return "DHP: Define Hierarchical Progression";
    case 0xDF: return "EXP: Expand Reference Component(s)";
    case 0xFE: return "Comment";
    default:
        if (m >= 0xE0 && m <= 0xEF) {
            const unsigned n = m - 0xE0;
            return std::string("APP") + char('0' + n / 10) + char('0' + n % 10) + ": Application Data";
        }
        if (IsRestart(m))
            return "RST" + std::to_string(m - 0xD0) + ": Restart";
        return "Unknown";
    }
}

void AddText(Composite &to, const std::string &name, const std::string &text)
{
    to.Add(name, text.data(), text.size());
}

void AddBytes(Composite &to, const std::string &name, const std::uint8_t *p, std::size_t n)
{
    if (n)
        to.Add(name, p, n);
    else
        AddText(to, name, "[]");
}

unsigned Be16(const std::uint8_t *p) { return unsigned(p[0]) << 8 | p[1]; }

// The Exif directories under the segment; a structure that cannot be read
// is shown with its reason.
void AddExif(Composite &to, const std::uint8_t *p, std::size_t size)
{
    try {
        MemoryStream stream(p, size);
        const TIF::TiffStructure exif = TIF::ReadTiffStructure(stream, TIF::Exif22::IFDSpecification);
        const SharedPtr<IProperty> tree = exif.GetProperty();
        for (std::uint64_t i = 0; i < tree->GetCount(); ++i)
            to.Add(tree->GetChildName(i), tree->GetChildAt(i));
    } catch (const std::exception &e) {
        AddText(to, "Exif", e.what());
    }
}

// The fields of one segment as the standard names its parameters; p and
// size are the data after the length field, checked by the parser.
SharedPtr<IProperty> SegmentComposite(const Segment &segment, const std::vector<std::uint8_t> &file)
{
    auto c = MakeShared<Composite>();
    if (segment.length == 0)
        return c;
    const std::uint8_t *p = &file[segment.offset + 4];
    const std::size_t size = segment.length - 2;
    const std::uint8_t m = segment.marker;
    const UInt16 length = UInt16(segment.length);
    if (m == kDQT) {
        c->Add("Lq: Quantization Table Definition Length", length);
        std::size_t at = 0;
        for (unsigned t = 0; at < size; ++t) {
            const unsigned pq = p[at] >> 4;
            auto table = MakeShared<Composite>();
            table->Add("PqTq: Quantization Table Element Precision, Quantization Table Destination Identifier", UInt8(p[at]));
            const std::size_t n = std::min<std::size_t>(64 * (pq + 1), size - at - 1);
            AddBytes(*table, "[DATA]", p + at + 1, n);
            c->Add("Table " + std::to_string(t), SharedPtr<IProperty>(table));
            at += 1 + 64 * (pq + 1);
        }
    } else if (m == kDHT) {
        c->Add("Lh: Huffman Table Definition Length", length);
        std::size_t at = 0;
        for (unsigned t = 0; at + 17 <= size; ++t) {
            auto table = MakeShared<Composite>();
            table->Add("TcTh: Table Class, Huffman Table Destination Identifier", UInt8(p[at]));
            unsigned total = 0;
            for (unsigned l = 1; l <= 16; ++l)
                total += p[at + l];
            AddBytes(*table, "Li: Number Of Huffman Codes Of Length i", p + at + 1, 16);
            AddBytes(*table, "Vi,j: Value associated with each Huffman code", p + at + 17,
                     std::min<std::size_t>(total, size - at - 17));
            c->Add("Table " + std::to_string(t), SharedPtr<IProperty>(table));
            at += 17 + total;
        }
    } else if (IsStartOfFrame(m) && size >= 6) {
        c->Add("Lf: Frame Header Length", length);
        c->Add("P: Sample Precision", UInt8(p[0]));
        c->Add("Y: Number Of Lines", UInt16(Be16(p + 1)));
        c->Add("X: Number Of Samples Per Line", UInt16(Be16(p + 3)));
        c->Add("Nf: Number Of Image Components In Frame", UInt8(p[5]));
        for (unsigned i = 0; i < p[5] && 8 + 3 * i < size; ++i) {
            auto component = MakeShared<Composite>();
            component->Add("Ci: Component Identifier", UInt8(p[6 + 3 * i]));
            component->Add("HiVi: Sampling Factor", UInt8(p[7 + 3 * i]));
            component->Add("Tq: Quantization Table Destination Selector", UInt8(p[8 + 3 * i]));
            c->Add("Component " + std::to_string(i + 1), SharedPtr<IProperty>(component));
        }
    } else if (m == kSOS && size >= 1) {
        c->Add("Ls: Scan Header Length", length);
        const unsigned n = p[0];
        c->Add("Ns: Number Of Image Components In Scan", UInt8(n));
        for (unsigned j = 0; j < n && 2 + 2 * j < size; ++j) {
            auto component = MakeShared<Composite>();
            component->Add("Csj: Scan Component Selector", UInt8(p[1 + 2 * j]));
            component->Add("TdjTaj: DC/AC entropy coding table destination selector", UInt8(p[2 + 2 * j]));
            c->Add("Component " + std::to_string(j + 1), SharedPtr<IProperty>(component));
        }
        if (size >= 1 + 2 * n + 3) {
            c->Add("Ss: start of spectral or predictor selection", UInt8(p[1 + 2 * n]));
            c->Add("Se: end of spectral selection", UInt8(p[2 + 2 * n]));
            c->Add("AhAl: sucessive approximation bit position high, successive approximation bit position low or "
                   "point transform",
                   UInt8(p[3 + 2 * n]));
        }
        AddText(*c, "[DATA]", "[...]");
    } else if (m == kDRI && size >= 2) {
        c->Add("Lr: Define Restart Interval Segment Length", length);
        c->Add("Ri: Restart Interval", UInt16(Be16(p)));
    } else if (m >= kAPP0 && m <= kAPP15) {
        c->Add("Lp: Application Data Segment Length", length);
        std::size_t id = 0;
        while (id < size && p[id] != 0)
            ++id;
        if (m == kAPP1 && size >= 6 && std::string(reinterpret_cast<const char *>(p), 5) == std::string("Exif\0", 5)) {
            AddText(*c, "Ap: Application Data Byte", "Exif");
            AddExif(*c, p + 6, size - 6);
        } else if (m == kAPP14 && size >= 12 && std::string(reinterpret_cast<const char *>(p), 5) == "Adobe") {
            AddText(*c, "Ap: Application Data Byte", "Adobe");
            c->Add("DCTEncodeVersion", UInt16(Be16(p + 5)));
            c->Add("APP14Flags0", UInt16(Be16(p + 7)));
            c->Add("APP14Flags1", UInt16(Be16(p + 9)));
            static const char *const kTransforms[] = {"RGB/CMYK", "YCbCr", "YCCK"};
            AddText(*c, "ColorTransform", p[11] <= 2 ? kTransforms[p[11]] : std::to_string(p[11]));
        } else if (id < size) {
            AddText(*c, "Ap: Application Data Byte", std::string(reinterpret_cast<const char *>(p), id));
        } else {
            AddBytes(*c, "Ap: Application Data Byte", p, size);
        }
    } else if (m == kCOM) {
        c->Add("Lc: Comment Segment Length", length);
        AddText(*c, "Cm: Comment Byte", std::string(reinterpret_cast<const char *>(p), size));
    } else {
        c->Add("Length", length);
    }
    return c;
}

} // namespace

SharedPtr<IProperty> JPGDecoder::GetProperty()
{
    std::vector<std::uint8_t> file;
    {
        std::lock_guard<std::mutex> guard(_streamMutex);
        file = ReadAll(*_stream);
    }
    const Structure s = ParseStructure(file);
    auto root = MakeShared<Composite>();
    std::map<std::string, unsigned> seen;
    for (const Segment &segment : s.segments) {
        // The same marker may stand several times: later ones are numbered.
        const std::string name = MarkerName(segment.marker);
        const unsigned n = ++seen[name];
        root->Add(n == 1 ? name : name + " [" + std::to_string(n) + "]", SegmentComposite(segment, file));
    }
    return root;
}

} // namespace Brintavolex
