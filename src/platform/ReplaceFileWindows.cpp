// Windows backend of ReplaceFileContents: a new file beside the old one, flushed, then moved
// over it. Permission bits do not exist here; the read-only attribute stands for them.
#include "platform/Entropy.h"
#include "platform/ReplaceFile.h"
#include "platform/TemporaryName.h"

#include <windows.h>

#include <cstdint>

namespace platform {
namespace {

std::string LastErrorText()
{
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length
        = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length ? std::string(text, length) : "error " + std::to_string(code);
    if (text)
        LocalFree(text);
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == '.'))
        result.pop_back();
    return result;
}

// Six letters or digits, as mkstemp makes them elsewhere.
std::string RandomLetters(std::uint64_t& state)
{
    static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string letters;
    for (std::size_t i = 0; i < kTemporaryRandomLength; ++i) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        letters += kAlphabet[(state >> 33) % (sizeof kAlphabet - 1)];
    }
    return letters;
}

bool WriteAll(HANDLE file, std::string_view bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr))
            return false;
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

std::string ReplaceFileContents(const std::string& path, std::string_view bytes, unsigned, bool durable)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY)
            return path + ": is a folder";
        if (attributes & FILE_ATTRIBUTE_READONLY)
            return path + ": the file is read-only";
    }

    std::uint64_t state = GetCurrentProcessId();
    unsigned char clock[8] = {};
    ReadClockEntropy(clock, sizeof clock);
    for (unsigned char c : clock)
        state = (state << 8) ^ c ^ (state >> 56);
    const std::string prefix = TemporaryPrefixFor(path);
    std::string temporary;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = prefix + RandomLetters(state);
        file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            break;
    }
    if (file == INVALID_HANDLE_VALUE)
        return temporary + ": " + LastErrorText();

    std::string error;
    if (!WriteAll(file, bytes) || (durable && !FlushFileBuffers(file)))
        error = LastErrorText();
    if (!CloseHandle(file) && error.empty())
        error = LastErrorText();
    if (error.empty()
        && !MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = LastErrorText();
    if (!error.empty()) {
        DeleteFileA(temporary.c_str());
        return path + ": " + error;
    }
    return {};
}

} // namespace platform
