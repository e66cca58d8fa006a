// Any news text through the escape decoder and the field splitter.
#include "text/TextRoutines.h"

#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (DecodeHexEscapes(text).size() > text.size())
        __builtin_trap();
    std::vector<std::string> fields;
    SplitFields('^', text, fields);
    size_t total = 0;
    for (const std::string& field : fields)
        total += field.size() + 1;
    if (total > text.size() + 1)
        __builtin_trap();
    return 0;
}
