#pragma once

// Just enough of the ZIP format to move one AES-encrypted entry in and out of an archive:
// the entry's raw data is exactly a container of our own format.

#include <cstdint>
#include <string>
#include <string_view>

struct ZipEntry {
    std::string name;
    std::uint16_t flags = 0;
    std::uint16_t method = 0; // 99 for an AES entry
    std::uint32_t crc = 0;
    std::uint64_t plainSize = 0;
    std::uint16_t aesVendorVersion = 0; // 1 or 2 (AE-1, AE-2); 0 without the AES extra field
    std::uint8_t aesStrength = 0; // 1 to 3: AES-128, -192, -256
    std::uint16_t actualMethod = 0; // what the decrypted data is compressed with; 0 stored
    std::string data; // the entry's raw data as stored
};

// The first entry of an archive, found through the central directory. Throws
// std::runtime_error when the archive is not a plain (non-ZIP64) ZIP.
ZipEntry ReadFirstZipEntry(std::string_view archive);

// A one-entry archive holding `entry` (name, flags, method, crc, sizes, AES fields, data).
std::string WriteSingleEntryZip(const ZipEntry& entry);

// The CRC-32 that ZIP stores for AE-1 entries.
std::uint32_t ZipCrc32(std::string_view bytes);
