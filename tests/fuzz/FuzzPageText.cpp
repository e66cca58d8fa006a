// Any page and any include-path answer: preparing twice changes nothing the second time, and
// a page left alone the first time is left alone again.
#include "site/PagePreparation.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string path = IncludePathFromAnswer(bytes.substr(0, size / 4)).value_or("/x/count.php");
    const std::string_view page = std::string_view(bytes).substr(size / 4);
    const PreparedPage once = PreparePage(page, path);
    const PreparedPage twice = PreparePage(once.leftAlone ? page : std::string_view(once.bytes), path);
    if (twice.leftAlone != once.leftAlone || twice.bytes != once.bytes)
        __builtin_trap();
    return 0;
}
