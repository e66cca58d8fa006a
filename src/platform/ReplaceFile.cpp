#include "platform/ReplaceFile.h"

#include "platform/TemporaryName.h"

namespace platform {
namespace {

#ifdef _WIN32
constexpr const char* kSeparators = "/\\";
constexpr char kSeparator = '\\';
#else
constexpr const char* kSeparators = "/";
constexpr char kSeparator = '/';
#endif

bool IsLetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

std::string FolderOf(const std::string& path)
{
    const size_t separator = path.find_last_of(kSeparators);
    if (separator == std::string::npos)
        return ".";
    return separator == 0 ? path.substr(0, 1) : path.substr(0, separator);
}

std::string BaseNameOf(const std::string& path)
{
    const size_t separator = path.find_last_of(kSeparators);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

std::string TemporaryPrefixFor(const std::string& path)
{
    std::string folder = FolderOf(path);
    if (folder.find_last_of(kSeparators) != folder.size() - 1)
        folder += kSeparator;
    // A hidden sibling, so a half-written file never carries the real name.
    return folder + "." + BaseNameOf(path) + std::string(kTemporaryMark);
}

std::optional<std::string_view> ReplacedFileNameOf(std::string_view temporaryName)
{
    const std::size_t fixed = 1 + kTemporaryMark.size() + kTemporaryRandomLength;
    if (temporaryName.size() <= fixed || temporaryName.front() != '.')
        return std::nullopt;
    const std::string_view random = temporaryName.substr(temporaryName.size() - kTemporaryRandomLength);
    for (char c : random)
        if (!IsLetterOrDigit(c))
            return std::nullopt;
    const std::string_view rest = temporaryName.substr(0, temporaryName.size() - kTemporaryRandomLength);
    if (!rest.ends_with(kTemporaryMark))
        return std::nullopt;
    return rest.substr(1, rest.size() - 1 - kTemporaryMark.size());
}

} // namespace platform
