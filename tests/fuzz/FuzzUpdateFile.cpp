// Any update description file, and any version text in it.
#include "news/UpdateFile.h"

#include <cmath>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string version = ReadPublishedVersion(text);
    for (const std::string& candidate : {version, text}) {
        const float published = PublishedVersionNumber(candidate);
        const double own = OwnVersionNumber(candidate);
        if (!std::isfinite(published) || !std::isfinite(own))
            __builtin_trap();
        // What the program ships as its own version is never older than the same text published.
        if (IsNewerVersion("2.01", "2.01") || IsNewerVersion(candidate, "2.01") != (published > 2.01))
            __builtin_trap();
    }
    return 0;
}
