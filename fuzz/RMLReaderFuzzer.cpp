#include "fuzz/RMLExercise.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (!Brintavolex::FuzzSupport::ExerciseRML(std::string_view(reinterpret_cast<const char *>(data), size)))
        std::abort();
    return 0;
}
