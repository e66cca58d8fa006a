// Any lines as welcome, banner and link entries, with any answers from the random source:
// every pick comes from the lists, the two links are different entries, and the banner's
// names stay inside what the entry said.
#include "branding/BrandingRotation.h"
#include "text/TextRoutines.h"

#include <algorithm>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const unsigned answers[3] = {data[0] * 977u, data[1] * 131071u, data[2] * 65599u};
    std::vector<std::string> lists[3];
    const std::string text(reinterpret_cast<const char*>(data) + 3, size - 3);
    // Lines go round the three lists; empty lines end no list here, the reader never makes them.
    std::size_t line = 0;
    ForEachLine(text, [&](std::string_view entry) {
        if (!entry.empty() && lists[line % 3].size() < 16)
            lists[line % 3].emplace_back(entry);
        ++line;
    });
    unsigned calls = 0;
    const Rotation rotation = PickRotation(lists[0], lists[1], lists[2], [&](unsigned count) {
        if (count == 0)
            __builtin_trap();
        return answers[calls++ % 3];
    });
    if (!lists[0].empty() && std::find(lists[0].begin(), lists[0].end(), rotation.WelcomeText) == lists[0].end())
        __builtin_trap();
    if (!lists[1].empty()) {
        if (rotation.bannerNumber < 1 || rotation.bannerNumber > static_cast<int>(lists[1].size()))
            __builtin_trap();
        const std::string& entry = lists[1][static_cast<std::size_t>(rotation.bannerNumber - 1)];
        if (entry.compare(0, rotation.BannerImageName.size(), rotation.BannerImageName) != 0)
            __builtin_trap();
        const std::string display = BannerDisplayName(rotation.BannerImageName);
        if (display.size() > rotation.BannerImageName.size() || StillBannerFormat(display).size() > display.size() + 4)
            __builtin_trap();
        IsAnimatedBannerPath(display);
        BannerFileName(rotation.bannerNumber);
    }
    // One pick per non-empty list, and a second link only from a list of two or more.
    const unsigned expected
        = (lists[0].empty() ? 0 : 1) + (lists[1].empty() ? 0 : 1) + std::min<std::size_t>(lists[2].size(), 2);
    if (calls != expected)
        __builtin_trap();
    auto isEntry = [&](const std::string& caption, const std::string& address) {
        for (const std::string& entry : lists[2]) {
            const EntryFields fields = SplitEntry(entry);
            if (fields.first == caption && fields.second == address)
                return true;
        }
        return false;
    };
    if (!lists[2].empty() && !isEntry(rotation.FirstLinkCaption, rotation.FirstLinkUrl))
        __builtin_trap();
    if (lists[2].size() >= 2 && !isEntry(rotation.SecondLinkCaption, rotation.SecondLinkUrl))
        __builtin_trap();
    return 0;
}
