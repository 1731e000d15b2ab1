#include "JPG/src/JPGStructure.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace Brintavolex::JPG {

namespace {

std::string Hex(std::size_t offset)
{
    char text[24];
    std::snprintf(text, sizeof text, "%llX", static_cast<unsigned long long>(offset));
    return text;
}

[[noreturn]] void Fail(const std::string &message) { throw Exception(message.c_str()); }

unsigned Be16(const std::uint8_t *p) { return unsigned(p[0]) << 8 | p[1]; }

// The refusal of each process this decoder does not decode.
const char *UnsupportedProcess(std::uint8_t marker)
{
    switch (marker) {
    case 0xC1: return "SOF01 Extended sequential DCT with Huffman coding is not supported";
    case 0xC5: return "SOF05 Differential sequential DCT with Huffman coding is not supported";
    case 0xC6: return "SOF06 Differential progressive DCT with Huffman coding is not supported";
    case 0xC7: return "SOF07 Differential lossless (sequential) with Huffman coding is not supported";
    case 0xC9: return "SOF09 Extended sequential DCT with arithmetic coding is not supported";
    case 0xCA: return "SOF10 Progressive DCT with arithmetic coding is not supported";
    case 0xCB: return "SOF11 Lossless (sequential) with arithmetic coding is not supported";
    case 0xCD: return "SOF13 Differential sequential DCT with arithmetic coding is not supported";
    case 0xCE: return "SOF14 Differential progressive DCT with arithmetic coding is not supported";
    case 0xCF: return "SOF15 Differential lossless (sequential) with arithmetic coding is not supported";
    default: return nullptr;
    }
}

class Parser {
public:
    Parser(const std::vector<std::uint8_t> &bytes, Structure &out) : _bytes(bytes), _out(out) {}

    void Run(bool tablesOnly)
    {
        if (_bytes.size() < 2 || _bytes[0] != 0xFF || _bytes[1] != kSOI)
            Fail("Missing Start Of Image");
        _out.segments.push_back({kSOI, 0, 0, 0});
        std::size_t pos = 2;
        while (true) {
            // Many files end without EOI after their last scan.
            if (pos >= _bytes.size() && !_out.scans.empty())
                return;
            if (pos >= _bytes.size())
                Fail("Missing End Of Image at offset 0x" + Hex(pos));
            if (_bytes[pos] != 0xFF)
                Fail("Expected marker X'FF' at offset 0x" + Hex(pos));
            const std::size_t at = pos;
            while (pos < _bytes.size() && _bytes[pos] == 0xFF)
                ++pos; // fill bytes
            if (pos >= _bytes.size())
                Fail("Missing End Of Image at offset 0x" + Hex(pos));
            const std::uint8_t marker = _bytes[pos++];
            if (marker == kSOI)
                Fail("Unexpected marker X'FFD8' (Start Of Image) at offset 0x" + Hex(at));
            if (marker == kEOI) {
                _out.segments.push_back({marker, at, 0, 0});
                return;
            }
            if (IsRestart(marker) || marker == kTEM || marker == 0) {
                _out.segments.push_back({marker, at, 0, 0});
                continue;
            }
            if (pos + 2 > _bytes.size())
                Fail("the marker segment at offset 0x" + Hex(at) + " has no length");
            const std::size_t length = Be16(&_bytes[pos]);
            if (length < 2 || pos + length > _bytes.size())
                Fail("the length of the marker segment at offset 0x" + Hex(at) + " is invalid");
            const std::uint8_t *data = &_bytes[pos + 2];
            const std::size_t size = length - 2;
            Segment segment{marker, at, length, pos + length};
            if (tablesOnly && marker != kDQT && marker != kDHT && marker != kDRI && marker != kCOM &&
                (marker < kAPP0 || marker > kAPP15))
                Fail("a tables-only stream holds only DQT, DHT and DRI");
            if (marker == kDQT)
                ReadQuantization(data, size);
            else if (marker == kDHT)
                ReadHuffman(data, size);
            else if (marker == kDRI)
                ReadRestartInterval(data, size);
            else if (IsStartOfFrame(marker))
                ReadFrame(marker, data, size);
            else if (marker == kAPP0 && size >= 5 && std::memcmp(data, "JFIF\0", 5) == 0)
                _out.jfif = true;
            else if (marker == kAPP1 && size >= 6 && std::memcmp(data, "Exif\0", 5) == 0 && !_out.exifLength)
                _out.exifOffset = pos + 2 + 6, _out.exifLength = size - 6;
            else if (marker == kAPP14 && size >= 12 && std::memcmp(data, "Adobe", 5) == 0)
                _out.adobe = AdobeTransform(data[11] <= 2 ? int(data[11]) : int(AdobeTransform::YCbCr));
            else if (marker == kSOS)
                segment.dataEnd = ReadScan(data, size, pos + length);
            _out.segments.push_back(segment);
            pos = marker == kSOS ? segment.dataEnd : pos + length;
        }
    }

private:
    void ReadQuantization(const std::uint8_t *p, std::size_t size)
    {
        while (size > 0) {
            const unsigned pq = p[0] >> 4, tq = p[0] & 15;
            if (pq > 1)
                Fail("DQT: Pq must be 0 or 1");
            if (tq >= kTableSlots)
                Fail("DQT: Tq must be 0 to 3");
            const std::size_t need = 1 + kBlockSamples * (pq + 1);
            if (size < need)
                Fail("DQT: the segment is shorter than its table");
            QuantizationTable &table = _out.tables.quantization[tq];
            for (unsigned k = 0; k < kBlockSamples; ++k)
                table.values[k] = pq ? std::uint16_t(Be16(p + 1 + 2 * k)) : p[1 + k];
            table.defined = true;
            p += need, size -= need;
        }
    }

    void ReadHuffman(const std::uint8_t *p, std::size_t size)
    {
        while (size > 0) {
            if (size < 17)
                Fail("DHT: the segment is shorter than its table");
            const unsigned tc = p[0] >> 4, th = p[0] & 15;
            if (tc > 1)
                Fail("DHT: Tc must be 0 or 1");
            if (th >= kTableSlots)
                Fail("DHT: Th must be 0 to 3");
            HuffmanTable table;
            unsigned total = 0, code = 0;
            for (unsigned l = 1; l <= kMaxHuffmanCodeLength; ++l) {
                table.counts[l] = p[l];
                total += p[l];
                code += p[l];
                // The codes of each length must fit, leaving the all-ones code unused.
                if (p[l] && code >= (1u << l))
                    Fail("DHT: the code lengths do not form a prefix code");
                code <<= 1;
            }
            if (total > kMaxHuffmanValues)
                Fail("DHT: more than 256 values");
            if (size < 17 + total)
                Fail("DHT: the segment is shorter than its table");
            std::memcpy(table.values, p + 17, total);
            table.valueCount = total;
            table.defined = true;
            (tc ? _out.tables.ac : _out.tables.dc)[th] = table;
            p += 17 + total, size -= 17 + total;
        }
    }

    void ReadRestartInterval(const std::uint8_t *p, std::size_t size)
    {
        if (size < 2)
            Fail("DRI: the segment is too short");
        _out.tables.restartInterval = Be16(p);
    }

    void ReadFrame(std::uint8_t marker, const std::uint8_t *p, std::size_t size)
    {
        if (const char *refusal = UnsupportedProcess(marker))
            Fail(refusal);
        if (_out.hasFrame)
            Fail("a second Start Of Frame");
        if (size < 6)
            Fail("SOF: the frame header is too short");
        Frame &frame = _out.frame;
        frame.marker = marker;
        frame.precision = p[0];
        frame.height = Be16(p + 1);
        frame.width = Be16(p + 3);
        const unsigned count = p[5];
        if (frame.precision > kMaxPrecision)
            Fail("sample precision > 16");
        if (frame.Lossless() ? frame.precision < 2 : frame.precision != 8 && frame.precision != 12)
            Fail("SOF: sample precision " + std::to_string(frame.precision) + " is not valid for this process");
        if (frame.height == 0)
            Fail("number of lines == 0");
        if (frame.width == 0)
            Fail("SOF: number of samples per line == 0");
        if (count == 0 || count > kMaxComponents || (!frame.Lossless() && count == 2))
            Fail("invalid number of image components");
        if (size < 6 + 3 * count)
            Fail("SOF: the frame header is shorter than its components");
        for (unsigned i = 0; i < count; ++i) {
            Component c;
            c.id = p[6 + 3 * i];
            c.h = p[7 + 3 * i] >> 4;
            c.v = p[7 + 3 * i] & 15;
            c.tq = p[8 + 3 * i];
            if (c.h < 1 || c.h > kMaxSamplingFactor || c.v < 1 || c.v > kMaxSamplingFactor)
                Fail("SOF: sampling factors of component " + std::to_string(i + 1) + " must be 1 to 4");
            if (c.tq >= kTableSlots)
                Fail("SOF: Tq of component " + std::to_string(i + 1) + " must be 0 to 3");
            for (const Component &other : frame.components)
                if (other.id == c.id)
                    Fail("SOF: component identifier " + std::to_string(c.id) + " occurs twice");
            frame.hMax = std::max<unsigned>(frame.hMax, c.h);
            frame.vMax = std::max<unsigned>(frame.vMax, c.v);
            frame.components.push_back(c);
        }
        // Lossless MCUs hold h x v samples, DCT ones h x v blocks of 8 x 8.
        const unsigned unit = frame.Lossless() ? 1 : kBlockSize;
        frame.mcusWide = (frame.width + unit * frame.hMax - 1) / (unit * frame.hMax);
        frame.mcusHigh = (frame.height + unit * frame.vMax - 1) / (unit * frame.vMax);
        for (Component &c : frame.components) {
            c.width = std::uint32_t((std::uint64_t(frame.width) * c.h + frame.hMax - 1) / frame.hMax);
            c.height = std::uint32_t((std::uint64_t(frame.height) * c.v + frame.vMax - 1) / frame.vMax);
            c.blocksWide = frame.mcusWide * c.h;
            c.blocksHigh = frame.mcusHigh * c.v;
        }
        _out.hasFrame = true;
    }

    std::size_t ReadScan(const std::uint8_t *p, std::size_t size, std::size_t dataBegin)
    {
        if (!_out.hasFrame)
            Fail("Missing Start Of Frame 2!");
        const Frame &frame = _out.frame;
        if (size < 1)
            Fail("SOS: the scan header is too short");
        const unsigned count = p[0];
        if (count == 0 || count > kMaxComponents)
            Fail("SOS: Ns must be 1 to 4");
        if (count > frame.components.size())
            Fail("number of image components in scan > number of image components in frame");
        if (size < 1 + 2 * count + 3)
            Fail("SOS: the scan header is shorter than its components");
        Scan scan;
        scan.tables = _out.tables;
        for (unsigned j = 0; j < count; ++j) {
            ScanComponent sc;
            const std::uint8_t id = p[1 + 2 * j];
            sc.index = unsigned(frame.components.size());
            for (unsigned i = 0; i < frame.components.size(); ++i)
                if (frame.components[i].id == id)
                    sc.index = i;
            if (sc.index == frame.components.size())
                Fail("SOS: Csj " + std::to_string(id) + " names no frame component");
            for (const ScanComponent &other : scan.components)
                if (other.index == sc.index)
                    Fail("SOS: component " + std::to_string(id) + " occurs twice in the scan");
            sc.dcTable = p[2 + 2 * j] >> 4;
            sc.acTable = p[2 + 2 * j] & 15;
            scan.components.push_back(sc);
        }
        const std::uint8_t *tail = p + 1 + 2 * count;
        scan.ss = tail[0];
        scan.se = tail[1];
        scan.ah = tail[2] >> 4;
        scan.al = tail[2] & 15;
        CheckScan(scan);
        scan.dataBegin = dataBegin;
        scan.dataEnd = EntropyDataEnd(dataBegin);
        scan.cutShort = scan.dataEnd >= _bytes.size();
        _out.scans.push_back(scan);
        return scan.dataEnd;
    }

    void CheckScan(const Scan &scan) const
    {
        const Frame &frame = _out.frame;
        if (frame.Lossless()) {
            if (scan.ss < 1 || scan.ss > 7)
                Fail("SOS: the lossless predictor Ss must be 1 to 7");
            if (scan.al >= frame.precision)
                Fail("SOS: the point transform Al must be below the sample precision");
        } else {
            if (scan.ss > scan.se || scan.se > 63)
                Fail("SOS: Ss and Se must satisfy Ss <= Se <= 63");
            if (scan.ah > kMaxSuccessiveApproximation || scan.al > kMaxSuccessiveApproximation)
                Fail("SOS: Ah and Al must be 0 to 13");
            if (frame.Progressive() && ((scan.ss == 0) != (scan.se == 0) || (scan.ss > 0 && scan.components.size() != 1)))
                Fail("SOS: a progressive scan holds either the DC coefficients or the AC ones of one component");
        }
        const bool needsDC = frame.Lossless() || scan.ss == 0;
        const bool needsAC = !frame.Lossless() && scan.se > 0;
        for (const ScanComponent &sc : scan.components) {
            // Refinement scans of DC coefficients read bits, no codes.
            if (needsDC && !(frame.Progressive() && scan.ah != 0) &&
                (sc.dcTable >= kTableSlots || !scan.tables.dc[sc.dcTable].defined))
                Fail("invalid DC huffman table selector");
            if (needsAC && (sc.acTable >= kTableSlots || !scan.tables.ac[sc.acTable].defined))
                Fail("invalid AC huffman table selector");
            if (!frame.Lossless() && !scan.tables.quantization[frame.components[sc.index].tq].defined)
                Fail("SOS: the quantization table of component " +
                     std::to_string(frame.components[sc.index].id) + " is not defined");
        }
    }

    // The entropy-coded data runs to the first marker that is neither a
    // stuffed zero nor a restart marker.
    std::size_t EntropyDataEnd(std::size_t pos) const
    {
        const std::uint8_t *base = _bytes.data();
        const std::size_t size = _bytes.size();
        while (pos < size) {
            const void *found = std::memchr(base + pos, 0xFF, size - pos);
            if (!found)
                return size;
            pos = std::size_t(static_cast<const std::uint8_t *>(found) - base);
            if (pos + 1 >= size)
                return size;
            const std::uint8_t next = base[pos + 1];
            if (next != 0 && !IsRestart(next) && next != 0xFF)
                return pos;
            pos += next == 0xFF ? 1 : 2;
        }
        return size;
    }

    const std::vector<std::uint8_t> &_bytes;
    Structure &_out;
};

} // namespace

Structure ParseStructure(const std::vector<std::uint8_t> &bytes, const Tables *initial)
{
    Structure structure;
    if (initial)
        structure.tables = *initial;
    Parser(bytes, structure).Run(false);
    return structure;
}

Tables ParseTables(const std::vector<std::uint8_t> &bytes)
{
    Structure structure;
    Parser(bytes, structure).Run(true);
    return structure.tables;
}

} // namespace Brintavolex::JPG
