// Any bytes as a branding text: the start-up read takes only what is there, and a news id
// written into any text reads back as written.
#include "branding/BrandingFile.h"
#include "text/TextRoutines.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = BrandingLines(bytes);
    const BrandingText read = ReadBrandingText(text);
    for (const BrandingTag& tag : read.tags)
        if (tag.value.size() > text.size() || (!tag.value.empty() && text.find(tag.value) == std::string::npos))
            __builtin_trap();
    if (read.welcomePages.size() > 16 || read.banners.size() > 16 || read.links.size() > 16)
        __builtin_trap();

    // The text after the first "|" is the id, when it is one that can be stored.
    const std::size_t bar = bytes.find('|');
    if (bar == std::string_view::npos)
        return 0;
    const std::string_view plain = bytes.substr(0, bar);
    const std::string id(bytes.substr(bar + 1));
    if (id.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos
        || FindIgnoringCase(id, "<%%/LastNewsId%%>") != std::string::npos)
        return 0;
    std::string remaining = BrandingLines(ReplaceLastNewsId(plain, id));
    if (ExtractTagValue(remaining, "<%%LastNewsId%%>", "<%%/LastNewsId%%>", 0) != id)
        __builtin_trap();
    return 0;
}
