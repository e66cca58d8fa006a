// Any bytes as mainskin.dat: a style sheet comes out only within bounds, and packs back to a
// file that reads the same.
#include "branding/SkinFile.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> sheet = ReadSkinFile(bytes);
    if (!sheet)
        return 0;
    if (sheet->empty() || sheet->size() > kMaxStyleSheetSize)
        __builtin_trap();
    if (ReadSkinFile(PackSkinFile(*sheet)) != sheet)
        __builtin_trap();
    return 0;
}
