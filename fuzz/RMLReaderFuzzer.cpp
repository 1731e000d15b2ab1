#include "Platform/api/String.h"
#include "fuzz/RMLExercise.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const Brintavolex::String scratch = Brintavolex::FromUTF8(
        (std::filesystem::temp_directory_path() / ("rml-fuzz-" + std::to_string(getpid()) + ".rml")).string());
    const std::string problem =
        Brintavolex::FuzzSupport::ExerciseRML(std::string_view(reinterpret_cast<const char *>(data), size), scratch);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
