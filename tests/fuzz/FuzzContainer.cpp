// Any bytes offered as a container: decryption ends, and never writes more than it read.
#include "container/AesLib.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    // The first byte picks a password length (and so a mode) and how the size is claimed.
    const std::string password(data[0] % 64, 'p');
    const std::int64_t claimed = (data[0] & 0x40) ? static_cast<std::int64_t>(bytes.size()) * 2 : bytes.size();
    TEncryption encryption(password, 1 + data[0] % 97, [](unsigned char* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i)
            out[i] = static_cast<unsigned char>(i);
        return count;
    });
    MemoryReadStream source(bytes);
    std::string plain;
    MemoryWriteStream destination(plain);
    encryption.Decrypt(source, &destination, claimed);
    if (plain.size() > bytes.size())
        __builtin_trap();
    return 0;
}
