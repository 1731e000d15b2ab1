#pragma once

#include "Root/api/String.h"

#include <string>
#include <vector>

namespace Brintavolex::Cli {

// The command-line tool, one interface for every decoder:
//   info FILE: the decoder, the default image (with its Exif orientation),
//     the header tree, then every image (frame, page, icon entry) with size,
//     pixel type and .raw layout;
//   convert FILE OUT.png|OUT.raw [--image N] [--slice K] [--upright]: image
//     N (default the decoder's default image), of a volume the XY slice K
//     (default 0; a .raw without --slice holds the whole volume), as PNG or
//     as the decoded samples; as stored, or with --upright turned and
//     mirrored as the picture's Exif orientation says (the way the viewer
//     shows it);
//   time FILE [--image N] [-n RUNS]: opens and decodes RUNS times (default
//     5), prints the minimum and median milliseconds and the peak memory.
// Output goes to out and err as UTF-8 text; the result is the exit code: 0
// done, 1 the file could not be read (the decoder's message in err), 2 usage.
int Run(const std::vector<String> &arguments, std::string &out, std::string &err);

} // namespace Brintavolex::Cli
