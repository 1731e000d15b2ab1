// log_writer LOGNAME COUNT: appends COUNT entries to the error log LOGNAME,
// as a second process beside a test that logs at the same time.
#include "Platform/api/ErrorLog.h"

#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    Brintavolex::ErrorLog::Configure("Brintavolex Viewer", argv[1]);
    const int count = std::atoi(argv[2]);
    for (int i = 0; i < count; ++i)
        Brintavolex::ErrorLog::Log("Writer", 1, ("entry " + std::to_string(i) + " of the second process").c_str());
    return 0;
}
