#include "Root/api/SharedPtr.h"

#include "Root/api/Exception.h"

#include <exception>

namespace Brintavolex::Detail {

namespace {
class SaturatedReferenceCount : public std::exception {
public:
    const char *what() const noexcept override { return "SharedPtr: reference count saturated"; }
};
} // namespace

bool ControlBlock::TryAddStrong()
{
    std::int32_t count = _strong.load(std::memory_order_relaxed);
    for (;;) {
        if (count == 0)
            return false;
        if (count == 0x7FFFFFFF)
            throw SaturatedReferenceCount();
        if (_strong.compare_exchange_weak(count, count + 1, std::memory_order_acq_rel, std::memory_order_relaxed))
            return true;
    }
}

void ThrowAlreadyManaged() { throw Exception("SharedPtrFromthis: this must not be managed by SharedPtr"); }

void ThrowNotManaged() { throw Exception("SharedFromThis: object is not managed by SharedPtr"); }

} // namespace Brintavolex::Detail
