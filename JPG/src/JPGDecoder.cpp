#include "JPG/api/JPGDecoder.h"

#include "JPG/src/JPGEntropy.h"
#include "JPG/src/JPGRender.h"
#include "JPG/src/JPGStructure.h"
#include "Platform/api/DecodeLimit.h"
#include "Platform/api/Threading.h"
#include "TIF/api/TIFDirectory.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace Brintavolex {

namespace {

using namespace JPG;

Data::ColorType OutputType(const Structure &s)
{
    if (!s.hasFrame)
        throw Exception("Missing Start Of Frame 3!");
    if (s.scans.empty())
        throw Exception("the file holds no scan");
    for (const Scan &scan : s.scans)
        if (scan.cutShort)
            throw Exception("the file ends inside the entropy-coded data of a scan");
    if (s.frame.precision > 8) {
        if (s.frame.Lossless() && s.frame.components.size() == 1)
            return Data::ColorType::UInt16;
        throw Exception("ConvertMCUColors with 16bit is currently not supported");
    }
    ChooseColorModel(s); // refuses what cannot be converted
    return Data::ColorType::BGRAUInt8;
}

std::uint64_t BytesPerPixel(Data::ColorType type) { return type == Data::ColorType::UInt16 ? 2 : 4; }

// Runs work with the lock released; a failure is marked for the other
// workers (under the lock) before it leaves.
template <class Work>
void RunUnlocked(std::unique_lock<std::mutex> &lock, bool &failed, std::condition_variable &changed, Work &&work)
{
    lock.unlock();
    try {
        work();
    } catch (...) {
        lock.lock();
        failed = true;
        changed.notify_all();
        throw;
    }
    lock.lock();
}

// MCU rows per band of the streaming decode, and bands in flight.
constexpr std::uint32_t kBandMcuRows = 8;
constexpr std::uint32_t kBandBuffers = 3;

// A single sequential scan of all components, in one parallel loop without
// barriers: one worker at a time Huffman-decodes the next band (serial
// within a scan) into a free band buffer, and every worker renders MCU rows
// of decoded bands as they come. A buffer is free again once all rows of
// its band are rendered.
void DecodeStreaming(const Structure &s, const std::vector<std::uint8_t> &file, const BandRenderer &renderer,
                     Pixel *output, std::uint64_t stride, const SharedPtr<IProgress> &progress)
{
    const Frame &frame = s.frame;
    SequentialScanDecoder entropy(frame, s.scans[0], file);
    const std::uint32_t bandCount = (frame.mcusHigh + kBandMcuRows - 1) / kBandMcuRows;
    auto bandBegin = [&](std::uint32_t b) { return b * kBandMcuRows; };
    auto bandEnd = [&](std::uint32_t b) { return std::min(frame.mcusHigh, (b + 1) * kBandMcuRows); };
    std::vector<CoefficientPlane> buffers[kBandBuffers];
    for (auto &planes : buffers) {
        planes.resize(frame.components.size());
        for (std::size_t i = 0; i < planes.size(); ++i)
            planes[i].Allocate(frame.components[i].blocksWide, kBandMcuRows * frame.components[i].v, 0);
    }
    // The renderer zeroes every block it has read, so a buffer is ready for
    // its next band without clearing.
    std::mutex mutex;
    std::condition_variable changed;
    std::uint32_t decoded = 0, nextRow = 0;
    std::vector<std::uint32_t> rowsLeft(bandCount);
    for (std::uint32_t b = 0; b < bandCount; ++b)
        rowsLeft[b] = bandEnd(b) - bandBegin(b);
    bool decoding = false, failed = false, cancelled = false;
    ParallelLoop::For(ParallelLoop::WorkerCount(frame.mcusHigh + 1), [&](unsigned worker, std::uint64_t, std::uint64_t) {
        std::unique_lock<std::mutex> lock(mutex);
        while (!failed && !cancelled) {
            const bool bufferFree = decoded < kBandBuffers || rowsLeft[decoded - kBandBuffers] == 0;
            if (!decoding && decoded < bandCount && bufferFree) {
                const std::uint32_t band = decoded;
                decoding = true;
                bool stop = false;
                RunUnlocked(lock, failed, changed, [&] {
                    std::vector<CoefficientPlane> &planes = buffers[band % kBandBuffers];
                    for (std::size_t i = 0; i < planes.size(); ++i) {
                        planes[i].firstBlockRow = bandBegin(band) * frame.components[i].v;
                        planes[i].blockRows = (bandEnd(band) - bandBegin(band)) * frame.components[i].v;
                    }
                    entropy.DecodeRows(bandBegin(band), bandEnd(band), planes);
                    stop = progress && progress->SetProgress(double(band + 1) / bandCount);
                });
                decoding = false;
                ++decoded;
                cancelled |= stop;
                changed.notify_all();
            } else if (decoded > 0 && nextRow < bandEnd(decoded - 1)) {
                const std::uint32_t row = nextRow++;
                const std::uint32_t band = row / kBandMcuRows;
                RunUnlocked(lock, failed, changed,
                            [&] { renderer.Render(buffers[band % kBandBuffers], row, row + 1, output, stride, worker); });
                if (--rowsLeft[band] == 0)
                    changed.notify_all();
            } else if (decoded == bandCount && nextRow == frame.mcusHigh) {
                return;
            } else {
                changed.wait(lock);
            }
        }
    });
    if (cancelled)
        throw OperationCancelled();
}

// Whether scan b reads or changes what scan a wrote: a component in common
// and overlapping spectral bands.
bool DependsOn(const Scan &b, const Scan &a)
{
    for (const ScanComponent &x : b.components)
        for (const ScanComponent &y : a.components)
            if (x.index == y.index && b.ss <= a.se && a.ss <= b.se)
                return true;
    return false;
}

// Each scan's data is its own, and a progressive file's first scans touch
// different coefficients: scans decode on all workers, each after the
// earlier scans it depends on.
void DecodeScans(const Structure &s, const std::vector<std::uint8_t> &file, std::vector<CoefficientPlane> &planes)
{
    const std::size_t n = s.scans.size();
    std::vector<std::vector<std::size_t>> after(n);
    for (std::size_t b = 0; b < n; ++b)
        for (std::size_t a = 0; a < b; ++a)
            if (DependsOn(s.scans[b], s.scans[a]))
                after[b].push_back(a);
    enum State : char { kWaiting, kRunning, kDone };
    std::vector<State> state(n, kWaiting);
    std::mutex mutex;
    std::condition_variable changed;
    bool failed = false;
    ParallelLoop::For(ParallelLoop::WorkerCount(n), [&](unsigned, std::uint64_t, std::uint64_t) {
        std::unique_lock<std::mutex> lock(mutex);
        while (!failed) {
            std::size_t ready = n;
            bool waiting = false;
            for (std::size_t i = 0; i < n && ready == n; ++i)
                if (state[i] == kWaiting) {
                    waiting = true;
                    if (std::all_of(after[i].begin(), after[i].end(), [&](std::size_t a) { return state[a] == kDone; }))
                        ready = i;
                }
            if (!waiting)
                return;
            if (ready == n) {
                changed.wait(lock);
                continue;
            }
            state[ready] = kRunning;
            RunUnlocked(lock, failed, changed, [&] { DecodeScanIntoPlanes(s.frame, s.scans[ready], file, planes); });
            state[ready] = kDone;
            changed.notify_all();
        }
    });
}

// Progressive pictures and sequential ones of several scans: every scan
// into whole-picture planes, then the bands in parallel.
void DecodeBuffered(const Structure &s, const std::vector<std::uint8_t> &file, const BandRenderer &renderer,
                    Pixel *output, std::uint64_t stride, const SharedPtr<IProgress> &progress)
{
    const Frame &frame = s.frame;
    std::vector<CoefficientPlane> planes(frame.components.size());
    for (std::size_t i = 0; i < planes.size(); ++i)
        planes[i].Allocate(frame.components[i].blocksWide, frame.components[i].blocksHigh, 0);
    DecodeScans(s, file, planes);
    ReportProgress(progress, 0.8);
    ParallelLoop::For(frame.mcusHigh, [&](unsigned worker, std::uint64_t begin, std::uint64_t end) {
        // A band at a time keeps each worker's sample buffers small.
        for (std::uint64_t first = begin; first < end; first += kBandMcuRows)
            renderer.Render(planes, std::uint32_t(first), std::uint32_t(std::min<std::uint64_t>(end, first + kBandMcuRows)),
                            output, stride, worker);
    });
    ReportProgress(progress, 1);
}

void DecodeLossless(const Structure &s, const std::vector<std::uint8_t> &file, void *buffer, std::uint64_t stride)
{
    const Frame &frame = s.frame;
    std::vector<std::vector<std::uint16_t>> samples(frame.components.size());
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i].assign(std::size_t(frame.components[i].blocksWide) * frame.components[i].blocksHigh, 0);
    // The point transform of each component, from the scan that coded it.
    unsigned shifts[kMaxComponents] = {};
    for (const Scan &scan : s.scans) {
        DecodeLosslessScan(frame, scan, file, samples);
        for (const ScanComponent &sc : scan.components)
            shifts[sc.index] = scan.al;
    }
    if (frame.precision > 8) {
        auto *out = static_cast<std::uint16_t *>(buffer);
        const Component &c = frame.components[0];
        for (std::uint32_t y = 0; y < frame.height; ++y)
            for (std::uint32_t x = 0; x < frame.width; ++x)
                out[y * stride + x] = std::uint16_t(samples[0][std::size_t(y) * c.blocksWide + x] << shifts[0]);
        return;
    }
    const ColorModel model = ChooseColorModel(s);
    std::vector<std::vector<std::uint32_t>> columns(frame.components.size());
    std::vector<std::vector<std::uint8_t>> rows(frame.components.size());
    for (std::size_t i = 0; i < columns.size(); ++i) {
        columns[i].resize(frame.width);
        for (std::uint32_t x = 0; x < frame.width; ++x)
            columns[i][x] = std::uint32_t(std::uint64_t(x) * frame.components[i].h / frame.hMax);
        rows[i].resize(frame.width);
    }
    const std::uint8_t *rowPointers[kMaxComponents] = {};
    for (std::uint32_t y = 0; y < frame.height; ++y) {
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const Component &c = frame.components[i];
            const std::uint16_t *row = &samples[i][std::size_t(std::uint64_t(y) * c.v / frame.vMax) * c.blocksWide];
            for (std::uint32_t x = 0; x < frame.width; ++x)
                rows[i][x] = std::uint8_t(row[columns[i][x]] << shifts[i]);
            rowPointers[i] = rows[i].data();
        }
        ConvertRow(model, rowPointers, frame.width, static_cast<Pixel *>(buffer) + y * stride);
    }
}

constexpr std::uint16_t kOrientationTag = 274;

// Damaged Exif never stops a picture from opening: it is upright then.
std::uint16_t ExifOrientation(const Structure &s, const std::vector<std::uint8_t> &file)
{
    if (!s.exifLength)
        return 1;
    try {
        MemoryStream stream(file.data() + s.exifOffset, s.exifLength);
        const TIF::TiffStructure exif = TIF::ReadTiffStructure(stream, TIF::Exif22::IFDSpecification);
        const std::vector<std::uint64_t> values = exif.ifds.empty() ? std::vector<std::uint64_t>()
                                                                     : exif.ifds[0]->Unsigned(kOrientationTag);
        return !values.empty() && values[0] >= 1 && values[0] <= 8 ? std::uint16_t(values[0]) : 1;
    } catch (const std::exception &) {
        return 1;
    }
}

// What a decode holds besides the picture: coefficient planes of buffered
// decodes, sample planes of lossless ones.
std::uint64_t WorkingBytes(const Structure &s)
{
    const Frame &frame = s.frame;
    const bool streaming = !frame.Lossless() && !frame.Progressive() && s.scans.size() == 1 &&
                           s.scans[0].components.size() == frame.components.size();
    if (streaming)
        return 0;
    std::uint64_t bytes = 0;
    for (const Component &c : frame.components)
        bytes += std::uint64_t(c.blocksWide) * c.blocksHigh * (frame.Lossless() ? 2 : 2 * kBlockSamples);
    return bytes;
}

} // namespace

JPGDecoder::JPGDecoder(SharedPtr<IStream> stream, SharedPtr<IStream> tables, Components components)
    : _stream(std::move(stream)), _tables(std::move(tables)), _components(components)
{
    if (!_stream)
        throw Exception("JPGDecoder::JPGDecoder: stream is nullptr");
}

SharedPtr<ISceneItem> JPGDecoder::Get(std::uint64_t index)
{
    if (index != 0)
        throw std::invalid_argument("JPGDecoder::Get: image index must be less than image count");
    return MakeShared<Image2D>(SharedFromThis<JPGDecoder>());
}

SharedPtr<ISceneItem> JPGDecoder::Image2D::Get(std::uint64_t)
{
    throw std::invalid_argument("JPGDecoder::Image2D::Get: an image has no children");
}

std::vector<std::uint8_t> JPGDecoder::ReadAll(IStream &stream)
{
    const std::uint64_t size = stream.size();
    if (size > std::uint64_t(1) << 34)
        throw Exception("JPGDecoder: the file is larger than 16 GiB");
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.seek(0);
    if (size)
        stream.read(bytes.data(), size);
    return bytes;
}

JPG::Structure JPGDecoder::Parse(const std::vector<std::uint8_t> &file)
{
    Tables tables;
    if (_tables)
        tables = ParseTables(ReadAll(*_tables));
    Structure s = ParseStructure(file, _tables ? &tables : nullptr);
    if (_components == Components::RGB)
        s.adobe = AdobeTransform::RGBOrCMYK;
    else if (_components == Components::YCbCr)
        s.adobe = AdobeTransform::YCbCr;
    return s;
}

Data::BasicInfo JPGDecoder::DecodeBasicInfo()
{
    std::lock_guard<std::mutex> guard(_streamMutex);
    const std::vector<std::uint8_t> file = ReadAll(*_stream);
    const Structure s = Parse(file);
    const Data::ColorType type = OutputType(s);
    CheckDecodeLimit("JPGDecoder", s.frame.width, s.frame.height, BytesPerPixel(type));
    _orientation = ExifOrientation(s, file);
    return Data::BasicInfo{s.frame.width, s.frame.height, s.frame.width, s.frame.height, type};
}

void JPGDecoder::Decode(void *buffer, std::uint64_t stride, std::uint64_t rows, const SharedPtr<IProgress> &progress)
{
    std::lock_guard<std::mutex> guard(_streamMutex);
    const std::vector<std::uint8_t> file = ReadAll(*_stream);
    const Structure s = Parse(file);
    const Data::ColorType type = OutputType(s);
    const Frame &frame = s.frame;
    // The picture and what the decode holds beside it, before any allocation.
    const std::uint64_t working = WorkingBytes(s);
    CheckDecodeLimit("JPGDecoder", frame.width, frame.height, BytesPerPixel(type));
    CheckDecodeLimit("JPGDecoder (working planes)", working, 1, 1);
    if (!buffer || stride < frame.width || rows < frame.height)
        throw std::invalid_argument("JPGDecoder::Decode: the buffer is smaller than the picture");
    if (frame.Lossless()) {
        DecodeLossless(s, file, buffer, stride);
        ReportProgress(progress, 1);
        return;
    }
    const BandRenderer renderer(frame, ChooseColorModel(s), s.scans.back().tables, FastInverseTransform());
    auto *output = static_cast<Pixel *>(buffer);
    if (working == 0)
        DecodeStreaming(s, file, renderer, output, stride, progress);
    else
        DecodeBuffered(s, file, renderer, output, stride, progress);
}

} // namespace Brintavolex
