// Any bytes as a PHP page: the reader stays inside them, and where it places the include lies
// right behind a ";" of the page's first PHP block.
#include "site/PageStart.h"

#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const PageStart start = ReadPageStart(page);
    if (start.kind == PageStart::Kind::AfterFirstStatements) {
        if (start.after == 0 || start.after > size || page[start.after - 1] != ';' || page.substr(0, 2) != "<?")
            __builtin_trap();
    } else if (start.after != 0) {
        __builtin_trap();
    }
    return 0;
}
