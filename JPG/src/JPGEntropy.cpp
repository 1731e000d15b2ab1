#include "JPG/src/JPGEntropy.h"

#include "Root/api/Exception.h"

#include <algorithm>
#include <string>

namespace Brintavolex::JPG {

namespace {

[[noreturn]] void Damaged() { throw Exception("the entropy-coded data of a scan is damaged or cut short"); }

std::uint64_t Units(const Frame &frame, const Scan &scan)
{
    if (scan.components.size() > 1)
        return std::uint64_t(frame.mcusWide) * frame.mcusHigh;
    const Component &c = frame.components[scan.components[0].index];
    const unsigned unit = frame.Lossless() ? 1 : kBlockSize;
    return std::uint64_t((c.width + unit - 1) / unit) * ((c.height + unit - 1) / unit);
}

ScanData Unstuff(const Frame &frame, const Scan &scan, const std::vector<std::uint8_t> &file)
{
    const std::uint64_t units = Units(frame, scan);
    const std::uint64_t intervals =
        scan.tables.restartInterval ? (units + scan.tables.restartInterval - 1) / scan.tables.restartInterval : 1;
    return UnstuffScan(file.data() + scan.dataBegin, file.data() + scan.dataEnd, intervals);
}

// Visits every unit (MCU, or block of a single-component scan) in order,
// with a reader per restart interval: visit(reader, unit x, unit y).
template <class Reset, class Visit>
void ForEachUnit(const Frame &frame, const Scan &scan, const ScanData &data, Reset reset, Visit visit)
{
    std::uint32_t wide = frame.mcusWide, high = frame.mcusHigh;
    if (scan.components.size() == 1) {
        const Component &c = frame.components[scan.components[0].index];
        const unsigned unit = frame.Lossless() ? 1 : kBlockSize;
        wide = (c.width + unit - 1) / unit;
        high = (c.height + unit - 1) / unit;
    }
    const std::uint64_t perInterval = scan.tables.restartInterval ? scan.tables.restartInterval : ~std::uint64_t(0);
    BitReader reader(nullptr, nullptr);
    std::uint64_t unit = 0;
    for (std::uint32_t y = 0; y < high; ++y)
        for (std::uint32_t x = 0; x < wide; ++x, ++unit) {
            if (unit % perInterval == 0) {
                if (unit && reader.Damaged())
                    Damaged();
                reader = data.Reader(unit / perInterval);
                reset(x, y);
            }
            visit(reader, x, y);
        }
    if (reader.Damaged())
        Damaged();
}

} // namespace

void CoefficientPlane::Allocate(std::uint32_t wide, std::uint32_t rows, std::uint32_t first)
{
    blocksWide = wide;
    blockRows = rows;
    firstBlockRow = first;
    coefficients.assign(std::size_t(wide) * rows * kBlockSamples, 0);
}

SequentialScanDecoder::SequentialScanDecoder(const Frame &frame, const Scan &scan, const std::vector<std::uint8_t> &file)
    : _frame(frame), _scan(scan), _data(Unstuff(frame, scan, file)),
      _mcusPerInterval(scan.tables.restartInterval ? scan.tables.restartInterval : ~std::uint64_t(0))
{
    for (const ScanComponent &sc : scan.components) {
        _dc.emplace_back(scan.tables.dc[sc.dcTable]);
        _ac.emplace_back(scan.tables.ac[sc.acTable]);
    }
}

void SequentialScanDecoder::StartInterval(std::uint64_t interval)
{
    if (_interval != ~std::uint64_t(0) && _reader.Damaged())
        Damaged();
    _interval = interval;
    _reader = _data.Reader(interval);
    std::fill(std::begin(_predictors), std::end(_predictors), 0);
}

void SequentialScanDecoder::DecodeBlock(BitReader &reader, unsigned i, std::int16_t *block)
{
    // A fill holds at least 57 bits: enough for one code and its magnitude.
    reader.Fill();
    _predictors[i] += reader.ReceiveFilled(unsigned(reader.DecodeFilled(_dc[i])));
    block[0] = std::int16_t(_predictors[i]);
    const DecodingTable &ac = _ac[i];
    for (unsigned k = 1; k < kBlockSamples;) {
        reader.Fill();
        const std::int32_t fast = ac.fastAC[reader.Peek(DecodingTable::kFastBits)];
        if (fast) {
            k += (fast >> 8) & 15;
            reader.Skip(unsigned(fast) & 0xFF);
            if (k >= kBlockSamples)
                Damaged();
            block[kZigZag[k++]] = std::int16_t(fast >> 16);
            continue;
        }
        const int rs = reader.DecodeFilled(ac);
        const unsigned r = unsigned(rs) >> 4, s = unsigned(rs) & 15;
        if (s) {
            k += r;
            if (k >= kBlockSamples)
                Damaged();
            block[kZigZag[k++]] = std::int16_t(reader.ReceiveFilled(s));
        } else if (r == 15) {
            k += 16;
        } else {
            break;
        }
    }
}

void SequentialScanDecoder::DecodeRows(std::uint32_t first, std::uint32_t end, std::vector<CoefficientPlane> &planes)
{
    const unsigned count = unsigned(_scan.components.size());
    for (std::uint32_t my = first; my < end; ++my)
        for (std::uint32_t mx = 0; mx < _frame.mcusWide; ++mx) {
            // Counted down, not divided: this runs for every MCU.
            if (_mcusLeft == 0) {
                const std::uint64_t mcu = std::uint64_t(my) * _frame.mcusWide + mx;
                StartInterval(mcu / _mcusPerInterval);
                _mcusLeft = _mcusPerInterval;
            }
            --_mcusLeft;
            for (unsigned i = 0; i < count; ++i) {
                const Component &c = _frame.components[_scan.components[i].index];
                CoefficientPlane &plane = planes[_scan.components[i].index];
                for (unsigned by = 0; by < c.v; ++by)
                    for (unsigned bx = 0; bx < c.h; ++bx)
                        DecodeBlock(_reader, i, plane.Block(mx * c.h + bx, my * c.v + by));
            }
        }
    if (end == _frame.mcusHigh && _reader.Damaged())
        Damaged();
}

namespace {

class ProgressiveScan {
public:
    ProgressiveScan(const Frame &frame, const Scan &scan, std::vector<CoefficientPlane> &planes)
        : _frame(frame), _scan(scan), _planes(planes)
    {
        for (const ScanComponent &sc : scan.components) {
            const bool dcCodes = scan.ss == 0 && (scan.ah == 0 || !frame.Progressive());
            _dc.push_back(dcCodes ? DecodingTable(scan.tables.dc[sc.dcTable]) : DecodingTable());
            _ac.push_back(scan.se > 0 ? DecodingTable(scan.tables.ac[sc.acTable]) : DecodingTable());
        }
    }

    void Run(const std::vector<std::uint8_t> &file)
    {
        const ScanData data = Unstuff(_frame, _scan, file);
        const bool single = _scan.components.size() == 1;
        ForEachUnit(
            _frame, _scan, data,
            [&](std::uint32_t, std::uint32_t) {
                std::fill(std::begin(_predictors), std::end(_predictors), 0);
                _endOfBandRun = 0;
            },
            [&](BitReader &reader, std::uint32_t x, std::uint32_t y) {
                if (single) {
                    Block(reader, 0, _planes[_scan.components[0].index].Block(x, y));
                    return;
                }
                for (unsigned i = 0; i < _scan.components.size(); ++i) {
                    const Component &c = _frame.components[_scan.components[i].index];
                    CoefficientPlane &plane = _planes[_scan.components[i].index];
                    for (unsigned by = 0; by < c.v; ++by)
                        for (unsigned bx = 0; bx < c.h; ++bx)
                            Block(reader, i, plane.Block(x * c.h + bx, y * c.v + by));
                }
            });
    }

private:
    void Block(BitReader &reader, unsigned i, std::int16_t *block)
    {
        if (!_frame.Progressive())
            Sequential(reader, i, block);
        else if (_scan.ss == 0)
            DC(reader, i, block);
        else if (_scan.ah == 0)
            ACFirst(reader, i, block);
        else
            ACRefine(reader, i, block);
    }

    void Sequential(BitReader &reader, unsigned i, std::int16_t *block)
    {
        _predictors[i] += reader.Receive(unsigned(reader.Decode(_dc[i])));
        block[0] = std::int16_t(_predictors[i]);
        for (unsigned k = 1; k < kBlockSamples;) {
            const int rs = reader.Decode(_ac[i]);
            const unsigned r = unsigned(rs) >> 4, s = unsigned(rs) & 15;
            if (s) {
                k += r;
                if (k >= kBlockSamples)
                    Damaged();
                block[kZigZag[k++]] = std::int16_t(reader.Receive(s));
            } else if (r == 15) {
                k += 16;
            } else {
                break;
            }
        }
    }

    void DC(BitReader &reader, unsigned i, std::int16_t *block)
    {
        if (_scan.ah == 0) {
            _predictors[i] += reader.Receive(unsigned(reader.Decode(_dc[i])));
            block[0] = std::int16_t(unsigned(_predictors[i]) << _scan.al);
        } else if (reader.Bit()) {
            block[0] = std::int16_t(block[0] | (1 << _scan.al));
        }
    }

    void ACFirst(BitReader &reader, unsigned i, std::int16_t *block)
    {
        if (_endOfBandRun > 0) {
            --_endOfBandRun;
            return;
        }
        for (unsigned k = _scan.ss; k <= _scan.se;) {
            const int rs = reader.Decode(_ac[i]);
            const unsigned r = unsigned(rs) >> 4, s = unsigned(rs) & 15;
            if (s) {
                k += r;
                if (k > _scan.se)
                    throw Exception("Wrong ZeroRunLength code");
                block[kZigZag[k++]] = std::int16_t(unsigned(reader.Receive(s)) << _scan.al);
            } else if (r == 15) {
                k += 16;
            } else {
                _endOfBandRun = (1u << r) - 1;
                if (r)
                    _endOfBandRun += reader.Bits(r);
                break;
            }
        }
    }

    // Successive approximation of AC coefficients: new coefficients of
    // magnitude 1, and one more bit for every coefficient already nonzero.
    void ACRefine(BitReader &reader, unsigned i, std::int16_t *block)
    {
        const int plus = 1 << _scan.al, minus = -plus;
        unsigned k = _scan.ss;
        auto refine = [&](std::int16_t &c) {
            if (reader.Bit() && (c & plus) == 0)
                c = std::int16_t(c + (c >= 0 ? plus : minus));
        };
        if (_endOfBandRun == 0) {
            for (; k <= _scan.se; ++k) {
                const int rs = reader.Decode(_ac[i]);
                int r = rs >> 4;
                const unsigned s = unsigned(rs) & 15;
                int value = 0;
                if (s) {
                    if (s != 1)
                        throw Exception("size of new coef != 1");
                    value = reader.Bit() ? plus : minus;
                } else if (r != 15) {
                    _endOfBandRun = 1u << r;
                    if (r)
                        _endOfBandRun += reader.Bits(unsigned(r));
                    break;
                }
                for (; k <= _scan.se; ++k) {
                    std::int16_t &c = block[kZigZag[k]];
                    if (c != 0)
                        refine(c);
                    else if (--r < 0)
                        break;
                }
                if (value) {
                    if (k > _scan.se)
                        throw Exception("Wrong ZeroRunLength code");
                    block[kZigZag[k]] = std::int16_t(value);
                }
            }
        }
        if (_endOfBandRun > 0) {
            for (; k <= _scan.se; ++k) {
                std::int16_t &c = block[kZigZag[k]];
                if (c != 0)
                    refine(c);
            }
            --_endOfBandRun;
        }
    }

    const Frame &_frame;
    const Scan &_scan;
    std::vector<CoefficientPlane> &_planes;
    std::vector<DecodingTable> _dc, _ac;
    int _predictors[kMaxComponents] = {};
    std::uint32_t _endOfBandRun = 0;
};

} // namespace

void DecodeScanIntoPlanes(const Frame &frame, const Scan &scan, const std::vector<std::uint8_t> &file,
                          std::vector<CoefficientPlane> &planes)
{
    ProgressiveScan(frame, scan, planes).Run(file);
}

void DecodeLosslessScan(const Frame &frame, const Scan &scan, const std::vector<std::uint8_t> &file,
                        std::vector<std::vector<std::uint16_t>> &samples)
{
    const ScanData data = Unstuff(frame, scan, file);
    std::vector<DecodingTable> tables;
    for (const ScanComponent &sc : scan.components)
        tables.emplace_back(scan.tables.dc[sc.dcTable]);
    const int initial = 1 << (frame.precision - scan.al - 1);
    // Where the current restart interval began, per component (sample row
    // and column): its first line predicts from the left only.
    std::uint32_t startX[kMaxComponents] = {}, startY[kMaxComponents] = {};
    const bool single = scan.components.size() == 1;
    auto sample = [&](BitReader &reader, unsigned i, std::uint32_t x, std::uint32_t y) {
        const unsigned index = scan.components[i].index;
        const Component &c = frame.components[index];
        std::uint16_t *row = &samples[index][std::size_t(y) * c.blocksWide];
        const std::uint16_t *above = y ? row - c.blocksWide : nullptr;
        int predicted;
        if (y == startY[i]) {
            predicted = x == startX[i] ? initial : row[x - 1];
        } else if (x == 0) {
            predicted = above[0];
        } else {
            const int a = row[x - 1], b = above[x], cc = above[x - 1];
            switch (scan.ss) {
            case 1: predicted = a; break;
            case 2: predicted = b; break;
            case 3: predicted = cc; break;
            case 4: predicted = a + b - cc; break;
            case 5: predicted = a + ((b - cc) >> 1); break;
            case 6: predicted = b + ((a - cc) >> 1); break;
            default: predicted = (a + b) >> 1; break;
            }
        }
        const int diff = reader.Receive(unsigned(reader.Decode(tables[i])));
        row[x] = std::uint16_t(predicted + diff);
    };
    ForEachUnit(
        frame, scan, data,
        [&](std::uint32_t x, std::uint32_t y) {
            for (unsigned i = 0; i < scan.components.size(); ++i) {
                const Component &c = frame.components[scan.components[i].index];
                startX[i] = single ? x : x * c.h;
                startY[i] = single ? y : y * c.v;
            }
        },
        [&](BitReader &reader, std::uint32_t x, std::uint32_t y) {
            if (single) {
                sample(reader, 0, x, y);
                return;
            }
            for (unsigned i = 0; i < scan.components.size(); ++i) {
                const Component &c = frame.components[scan.components[i].index];
                for (unsigned dy = 0; dy < c.v; ++dy)
                    for (unsigned dx = 0; dx < c.h; ++dx)
                        sample(reader, i, x * c.h + dx, y * c.v + dy);
            }
        });
}

} // namespace Brintavolex::JPG
