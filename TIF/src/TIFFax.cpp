#include "TIF/src/TIFFax.h"

#include "TIF/src/TIFFaxCodes.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace Brintavolex::TIF {

namespace {

constexpr std::uint64_t kTwoDimensionalOption = 1; // T4Options bit 0
constexpr std::uint64_t kUncompressedOption = 2;   // T4Options and T6Options bit 1
constexpr unsigned kEndOfLineZeros = 11;           // EOL: eleven zeros and a one, fill zeros before
constexpr unsigned kRefillBelow = 32;              // enough for two codes of the longest kind

// The data's bits, most significant first, in a 64-bit window whose top
// `count` bits are the next ones. Past the end of the data there are none:
// a code longer than what is left is not taken.
class BitReader {
public:
    BitReader(const std::uint8_t *data, std::size_t size) : _next(data), _end(data + size) {}

    void Refill()
    {
        if (_end - _next >= 8) {
            std::uint64_t word = 0;
            for (int i = 0; i < 8; ++i)
                word = word << 8 | _next[i];
            // The bytes past the whole ones taken land beyond count: the same
            // bits come again with the next refill.
            _bits |= word >> _count;
            _next += (63 - _count) >> 3;
            _count |= 56;
        } else {
            // Whole bytes up to 56 bits: Skip never shifts by 64.
            while (_count <= 48 && _next < _end) {
                _bits |= std::uint64_t(*_next++) << (56 - _count);
                _count += 8;
            }
        }
    }
    void RefillIfLow()
    {
        if (_count < kRefillBelow)
            Refill();
    }
    std::uint32_t Peek(unsigned n) const { return std::uint32_t(_bits >> (64 - n)); }
    bool Skip(unsigned n)
    {
        if (n > _count)
            return false;
        _bits <<= n;
        _count -= n;
        return true;
    }
    bool ReadBit(unsigned &bit)
    {
        RefillIfLow();
        bit = Peek(1);
        return Skip(1);
    }
    void SkipToByte() { Skip(_count % 8); }

    // An EOL with any fill before it; false when the next bits are no EOL
    // (nothing taken) or the data ends in zeros.
    bool SkipEndOfLine()
    {
        bool fill = false;
        for (;;) {
            RefillIfLow();
            const unsigned zeros = std::min(unsigned(std::countl_zero(_bits)), _count);
            if (zeros < _count) {
                if (!fill && zeros < kEndOfLineZeros)
                    return false;
                return Skip(zeros + 1);
            }
            if (_count < kEndOfLineZeros)
                return false;
            fill = true;
            Skip(_count);
        }
    }

private:
    const std::uint8_t *_next, *_end;
    std::uint64_t _bits = 0;
    unsigned _count = 0;
};

void FillBlack(std::uint8_t *row, std::uint32_t from, std::uint32_t to)
{
    if (from >= to)
        return;
    const std::size_t first = from >> 3, last = (to - 1) >> 3;
    const auto head = std::uint8_t(0xFF >> (from & 7)), tail = std::uint8_t(0xFF << (7 - ((to - 1) & 7)));
    if (first == last) {
        row[first] |= head & tail;
        return;
    }
    row[first] |= head;
    std::memset(row + first + 1, 0xFF, last - first - 1);
    row[last] |= tail;
}

// Decodes one row after another into changing elements: the positions
// where the colour changes, the first one to black (a row begins white).
// Runs of length 0 stay in the list as two changes at one place, because
// encoders count them when they code the next row against this one.
class FaxRows {
public:
    FaxRows(const std::uint8_t *in, std::size_t size, std::uint32_t width)
        : _bits(in, size), _width(width),
          // As many changes as libtiff allows, and never more than the data
          // has bits: each change costs at least one.
          _maxChanges(std::min(std::uint64_t(width) * 2, std::uint64_t(size) * 8))
    {
        _reference.assign(kEndMarks, width);
    }

    BitReader &Bits() { return _bits; }

    // Pairs of a white and a black run from the left, each run of make-up
    // codes and a terminating code.
    bool OneDimensionalRow()
    {
        _current.clear();
        std::uint32_t a0 = 0;
        for (;;) {
            std::uint32_t white, black;
            if (!Run(false, _width - a0, white))
                return false;
            if ((a0 += white) == _width)
                return true;
            if (!Change(a0) || !Run(true, _width - a0, black))
                return false;
            if ((a0 += black) == _width)
                return true;
            // Both empty: libtiff drops the pair, and so its reference row.
            if (white == 0 && black == 0)
                _current.pop_back();
            else if (!Change(a0))
                return false;
        }
    }

    // Modes against the reference row. b1 is its first change right of a0
    // to the colour opposite a0's, b2 the change after b1; both are tracked
    // by index the way libtiff does, which matters where runs are empty.
    bool TwoDimensionalRow()
    {
        _current.clear();
        std::uint32_t a0 = 0;
        bool black = false;
        std::size_t b = 0; // index of b1: even while a0 is white
        while (a0 < _width) {
            // Until the row has a change of its own, b1 may lie at a0.
            if (!_current.empty())
                while (_reference[b] <= a0 && _reference[b] < _width)
                    b += 2;
            const std::uint32_t b1 = _reference[b];
            _bits.RefillIfLow();
            const FaxModeCode code = kModeCodes[_bits.Peek(kModeCodeBits)];
            if (code.mode == FaxMode::None || !_bits.Skip(code.length))
                return false;
            if (code.mode == FaxMode::Pass) {
                a0 = _reference[b + 1];
                b += 2;
            } else if (code.mode == FaxMode::Horizontal) {
                std::uint32_t first, second;
                if (!Run(black, _width - a0, first) || !Run(!black, _width - a0 - first, second))
                    return false;
                const std::uint32_t a1 = a0 + first, a2 = a1 + second;
                if ((a1 < _width && !Change(a1)) || (a2 < _width && !Change(a2)))
                    return false;
                a0 = a2;
            } else {
                const std::int64_t a1 = std::int64_t(b1) + code.offset;
                if (a1 < a0 || a1 > _width || (a1 < _width && !Change(std::uint32_t(a1))))
                    return false;
                a0 = std::uint32_t(a1);
                black = !black;
                // The change before b1 may lie right of a1; before the first
                // one stands the row's start, which the next check passes.
                b = code.offset >= 0 ? b + 1 : b > 0 ? b - 1 : 1;
            }
        }
        return true;
    }

    // The finished row as bits; it becomes the reference for the next one.
    void Emit(std::uint8_t *row, std::size_t rowBytes)
    {
        std::memset(row, 0, rowBytes);
        const std::size_t count = _current.size();
        for (std::size_t i = 0; i < count; i += 2)
            FillBlack(row, _current[i], i + 1 < count ? _current[i + 1] : _width);
        _current.insert(_current.end(), kEndMarks, _width);
        std::swap(_current, _reference);
    }

private:
    // Changes at the row's end behind the last one: b1 and b2 never look
    // further past it than this.
    static constexpr std::size_t kEndMarks = 3;

    bool Change(std::uint32_t at)
    {
        if (_current.size() >= _maxChanges)
            return false;
        _current.push_back(at);
        return true;
    }

    // A run of at most `room` pixels.
    bool Run(bool black, std::uint32_t room, std::uint32_t &run)
    {
        run = 0;
        for (;;) {
            _bits.RefillIfLow();
            const std::uint16_t entry =
                black ? kBlackRunCodes[_bits.Peek(kBlackCodeBits)] : kWhiteRunCodes[_bits.Peek(kWhiteCodeBits)];
            const std::uint32_t value = entry & kRunValueMask;
            if (entry == 0 || value > room || !_bits.Skip(entry >> kRunValueBits))
                return false;
            run += value;
            room -= value;
            if (value < kFirstMakeUpRun)
                return true;
        }
    }

    BitReader _bits;
    const std::uint32_t _width;
    const std::uint64_t _maxChanges;
    // Grown as changes come, so that a wide row costs only what it holds.
    std::vector<std::uint32_t> _current, _reference;
};

} // namespace

std::size_t DecodeFax(const std::uint8_t *in, std::size_t size, std::uint8_t *out, std::size_t expected,
                      std::uint32_t width, const FaxOptions &options)
{
    if (width == 0)
        throw Exception("DecodeFax: the image width is 0");
    if (options.coding != FaxCoding::ModifiedHuffman && (options.t4Options & kUncompressedOption))
        throw Exception("CCITT uncompressed mode is not supported");
    const std::size_t rowBytes = (std::size_t(width) + 7) / 8;
    if (expected < rowBytes || size == 0)
        return 0;
    FaxRows rows(in, size, width);
    BitReader &bits = rows.Bits();
    const bool twoDimensional = options.coding == FaxCoding::Group3 && (options.t4Options & kTwoDimensionalOption);
    std::size_t done = 0;
    for (; done + rowBytes <= expected; done += rowBytes) {
        bool decoded;
        if (options.coding == FaxCoding::ModifiedHuffman) {
            if (done > 0)
                bits.SkipToByte();
            decoded = rows.OneDimensionalRow();
        } else if (options.coding == FaxCoding::Group4) {
            decoded = rows.TwoDimensionalRow(); // EOFB fails as a mode code, as it should
        } else {
            // EOL before each row, optional before the first; more than one
            // after a row is RTC, the end of the page. With 2D coding each
            // EOL is followed by a bit: 1 for a 1D row.
            unsigned endsOfLine = 0, oneDimensional = 1;
            while (bits.SkipEndOfLine()) {
                ++endsOfLine;
                if ((twoDimensional && !bits.ReadBit(oneDimensional)) || (done > 0 && endsOfLine > 1))
                    return done;
            }
            if (done > 0 && endsOfLine == 0)
                return done;
            decoded = oneDimensional ? rows.OneDimensionalRow() : rows.TwoDimensionalRow();
        }
        if (!decoded)
            break;
        rows.Emit(out + done, rowBytes);
    }
    return done;
}

} // namespace Brintavolex::TIF
