#pragma once

// The reseller's branding file, dbsettings.dat: a container whose plain content is a tag
// text, one "<%%Key%%>value<%%/Key%%>" per value. Everything here works on bytes in memory;
// the plain text never touches the disk.

#include "branding/BrandingInfo.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kBrandingFileName = "dbsettings.dat";
// Welcome pages, banners and links are numbered from 1 to this.
inline constexpr int kMaxBrandingEntries = 16;
// Larger files are not read at all: no reseller's text comes near this.
inline constexpr std::size_t kMaxBrandingFileSize = 64u << 20;

// Finds the opening tag in `remaining` (letters a to z compared without regard to case),
// then the closing tag after it, and gives what lies between. `remaining` then starts at the
// closing tag (moved on by `skipCount`); without a closing tag it starts just behind the
// opening tag (and the skip), and the value is empty. Without an opening tag nothing changes.
std::string ExtractTagValue(
    std::string& remaining, const std::string& openingTag, const std::string& closingTag, std::size_t skipCount);

// The id of the news item read last, empty when there is none or no branding file.
std::string ReadLastNewsId(const std::string& programDirectory);
// Stores the id in the branding file, changing nothing else in it. Does nothing without a
// branding file, when that file does not decrypt cleanly or is empty, when the id could not be
// read back as it is (a line break, NUL byte or closing tag in it), or when the file cannot be
// replaced.
void WriteLastNewsId(const std::string& programDirectory, const std::string& id);

// The plain bytes as the program reads them: cut at the first NUL byte, split into lines at
// CR, LF or CR LF, and joined again with CR LF after every line.
std::string BrandingLines(std::string_view plain);

// One key as the start-up read met it, in the order of reading.
struct BrandingTag {
    std::string key;
    std::string value;
    std::size_t searchedFrom = 0; // where the search for its opening tag began
    bool opened = false; // the opening tag was found from there
    bool closed = false; // and its closing tag after it
};

// Everything the start-up read takes from the tag text.
struct BrandingText {
    ::BrandingInfo BrandingInfo; // AffiliateURL with the affiliate id put in
    std::vector<std::string> welcomePages; // Welcome1, Welcome2, ... up to the first empty one
    std::vector<std::string> banners; // "image name^click address"
    std::vector<std::string> links; // "caption^address"
    std::vector<BrandingTag> tags; // every key read, in order
};

// Reads the keys in their fixed order, each searched from where the previous one was found,
// so a key that stands before one read earlier reads as empty. `text` is BrandingLines output.
BrandingText ReadBrandingText(std::string_view text);

// The opening and closing tag of a key.
std::string OpeningTag(std::string_view key);
std::string ClosingTag(std::string_view key);

// Whether the reseller's tier has what the news service needs: the publisher id and news
// address of that tier ("Free" uses the Master ones). Tier names are compared with exact case.
bool NewsButtonVisible(const ::BrandingInfo& branding);
// What every news request of the reseller's tier sends, chosen by BranderType (exact case).
struct NewsTier {
    std::string publisherId; // sent as "memusername"
    std::string productType; // "BM", "BP" or "BG", sent as "prodtype"
    std::string baseUrl;
};
// The tier's row; empty for any other BranderType ("Free" included) and for a row whose
// publisher id is empty: then no news request is made.
std::optional<NewsTier> NewsTierFor(const ::BrandingInfo& branding);
// The affiliate button's caption: MakeMoneyButton, or "Make Money" when that is empty.
std::string MakeMoneyCaption(const ::BrandingInfo& branding);

// What the branding file beside the program gives when decrypted in memory.
struct BrandingFileContents {
    std::string plain; // what decrypted: nothing after a wrong password, all data after damage
    bool authentic = false; // both the password verifier and the authentication code matched
};
// A file of the reseller's package, whole; nothing when it cannot be read or holds more than
// `limit` bytes.
std::optional<std::string> ReadPackageFile(const std::string& path, std::size_t limit);

// Without a branding file: nothing. A file that cannot be read, or is too large, decrypts to
// nothing.
std::optional<BrandingFileContents> ReadBrandingFile(const std::string& programDirectory);
// The branding file's bytes for a plain text: the container the program decrypts.
std::optional<std::string> EncryptBrandingText(std::string_view plain);
// Encrypts `plain` into the branding file through a temporary file and a rename. Empty on
// success, else what failed; the old file stays whole on failure.
std::string WriteBrandingFile(const std::string& programDirectory, std::string_view plain);

// The plain text with `id` as the value of the first LastNewsId tag (case ignored), or with
// the whole rest of that tag's line replaced when its closing tag is not on that line, or
// with a new line for it at the end of the readable text when there is none.
std::string ReplaceLastNewsId(std::string_view plain, std::string_view id);
