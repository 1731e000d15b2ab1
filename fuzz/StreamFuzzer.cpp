// Drives MemoryStream, LockStream and the byte-order readers with offsets
// and counts taken from the input, as a decoder reading a hostile file would.
#include "Platform/api/Stream.h"
#include "Root/api/Exception.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

using namespace Brintavolex;

namespace {

// Reads little pieces of the script part of the input.
struct Script {
    const std::uint8_t *p;
    std::size_t n;
    std::uint8_t Byte() { return n ? (--n, *p++) : 0; }
    std::uint64_t Number()
    {
        // Mostly small numbers, sometimes huge ones.
        const std::uint8_t kind = Byte();
        std::uint64_t v = 0;
        const int bytes = kind < 200 ? 1 : kind < 250 ? 2 : 8;
        for (int i = 0; i < bytes; ++i)
            v = v << 8 | Byte();
        return v;
    }
};

template <class Order> void ReadLocked(LockStream<Order> &locked, Script &script)
{
    for (int i = 0; i < 16 && script.n; ++i) {
        switch (script.Byte() % 8) {
        case 0: locked.UInt8(); break;
        case 1: locked.UInt16(); break;
        case 2: locked.UInt32(); break;
        case 3: locked.UInt64(); break;
        case 4: locked.Float32(); break;
        case 5: locked.Float64(); break;
        case 6: locked.Skip(script.Number()); break;
        default: locked.SetCursor(script.Number()); break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t scriptLength = std::min<std::size_t>(data[0], size - 1);
    Script script{data + 1, scriptLength};
    const std::uint8_t *payload = data + 1 + scriptLength;
    const std::size_t payloadSize = size - 1 - scriptLength;
    // A private copy, so that reading one byte beyond is caught by ASan.
    std::vector<std::uint8_t> bytes(payload, payload + payloadSize);
    MemoryStream stream(bytes.data(), bytes.size());
    LEStream little(stream);
    BEStream big(stream);
    std::vector<std::uint8_t> out;
    while (script.n) {
        try {
            switch (script.Byte() % 9) {
            case 0: stream.seek(script.Number()); break;
            case 1: {
                const std::uint64_t count = script.Number();
                if (count <= bytes.size()) {
                    out.resize(count);
                    stream.read(out.data(), count);
                } else {
                    stream.read(nullptr, count); // must be refused before touching the buffer
                }
                break;
            }
            case 2: {
                const StreamLock lock = stream.lock(script.Number());
                volatile std::uint8_t sink = 0;
                for (std::uint64_t i = 0; i < lock.count; ++i)
                    sink = sink + lock.data[i];
                break;
            }
            case 3: little.ReadUInt16(); break;
            case 4: big.ReadUInt32(); break;
            case 5: little.ReadUInt64(); break;
            case 6: {
                LockStream<LittleEndian> locked(stream, script.Number());
                ReadLocked(locked, script);
                break;
            }
            case 7: {
                LockStream<BigEndian> locked(stream, script.Number());
                ReadLocked(locked, script);
                break;
            }
            default: stream.tell(); break;
            }
        } catch (const std::runtime_error &) {
        } catch (const std::invalid_argument &) {
        } catch (const Exception &) {
        }
    }
    return 0;
}
