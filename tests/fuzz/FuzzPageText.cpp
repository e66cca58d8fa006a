// Any page and any include-path answer: preparing twice changes nothing the second time.
#include "site/PagePreparation.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string line = IncludeLine(IncludePathFromAnswer(bytes.substr(0, size / 4)).value_or("/x/main.php"));
    const std::string once = PreparePage(std::string_view(bytes).substr(size / 4), line);
    if (PreparePage(once, line) != once)
        __builtin_trap();
    return 0;
}
