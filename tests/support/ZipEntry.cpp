#include "support/ZipEntry.h"

#include <stdexcept>

namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndOfDirectorySignature = 0x06054b50;
constexpr std::uint16_t kAesExtraId = 0x9901;
constexpr std::uint16_t kAesVersionNeeded = 51;

std::uint32_t Get(std::string_view bytes, std::size_t offset, int width)
{
    if (offset + static_cast<std::size_t>(width) > bytes.size())
        throw std::runtime_error("ZIP structure runs past the end of the archive");
    std::uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    return value;
}

void Put(std::string& bytes, std::uint32_t value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes.push_back(static_cast<char>(value >> (8 * i)));
}

void ReadAesExtra(std::string_view extra, ZipEntry& entry)
{
    for (std::size_t at = 0; at + 4 <= extra.size();) {
        const std::uint32_t id = Get(extra, at, 2);
        const std::uint32_t size = Get(extra, at + 2, 2);
        if (id == kAesExtraId && size >= 7) {
            entry.aesVendorVersion = static_cast<std::uint16_t>(Get(extra, at + 4, 2));
            entry.aesStrength = static_cast<std::uint8_t>(Get(extra, at + 8, 1));
            entry.actualMethod = static_cast<std::uint16_t>(Get(extra, at + 9, 2));
        }
        at += 4 + size;
    }
}

std::string AesExtra(const ZipEntry& entry)
{
    std::string extra;
    if (entry.aesVendorVersion == 0)
        return extra;
    Put(extra, kAesExtraId, 2);
    Put(extra, 7, 2);
    Put(extra, entry.aesVendorVersion, 2);
    extra += "AE";
    Put(extra, entry.aesStrength, 1);
    Put(extra, entry.actualMethod, 2);
    return extra;
}

} // namespace

ZipEntry ReadFirstZipEntry(std::string_view archive)
{
    if (archive.size() < 22)
        throw std::runtime_error("too short for a ZIP archive");
    std::size_t end = archive.size() - 22;
    while (Get(archive, end, 4) != kEndOfDirectorySignature) {
        if (end == 0)
            throw std::runtime_error("no end of central directory");
        --end;
    }
    const std::size_t central = Get(archive, end + 16, 4);
    if (Get(archive, central, 4) != kCentralHeaderSignature)
        throw std::runtime_error("no central directory header");

    ZipEntry entry;
    entry.flags = static_cast<std::uint16_t>(Get(archive, central + 8, 2));
    entry.method = static_cast<std::uint16_t>(Get(archive, central + 10, 2));
    entry.crc = Get(archive, central + 16, 4);
    const std::uint32_t storedSize = Get(archive, central + 20, 4);
    entry.plainSize = Get(archive, central + 24, 4);
    const std::size_t nameLength = Get(archive, central + 28, 2);
    const std::size_t extraLength = Get(archive, central + 30, 2);
    const std::size_t local = Get(archive, central + 42, 4);
    if (storedSize == 0xffffffff || local == 0xffffffff)
        throw std::runtime_error("ZIP64 entries are not read here");
    entry.name = std::string(archive.substr(central + 46, nameLength));
    ReadAesExtra(archive.substr(central + 46 + nameLength, extraLength), entry);

    if (Get(archive, local, 4) != kLocalHeaderSignature)
        throw std::runtime_error("no local header");
    const std::size_t dataStart = local + 30 + Get(archive, local + 26, 2) + Get(archive, local + 28, 2);
    if (dataStart + storedSize > archive.size())
        throw std::runtime_error("entry data runs past the end of the archive");
    entry.data = std::string(archive.substr(dataStart, storedSize));
    return entry;
}

std::string WriteSingleEntryZip(const ZipEntry& entry)
{
    const std::string extra = AesExtra(entry);
    const std::uint32_t versionNeeded = entry.aesVendorVersion != 0 ? kAesVersionNeeded : 20;
    const std::uint32_t dosDate = (1 << 5) | 1; // 1980-01-01, midnight

    std::string archive;
    // The fields from "version needed" to the extra field's length stand alike in both headers.
    const auto putEntryFields = [&] {
        Put(archive, versionNeeded, 2);
        Put(archive, entry.flags, 2);
        Put(archive, entry.method, 2);
        Put(archive, 0, 2);
        Put(archive, dosDate, 2);
        Put(archive, entry.crc, 4);
        Put(archive, static_cast<std::uint32_t>(entry.data.size()), 4);
        Put(archive, static_cast<std::uint32_t>(entry.plainSize), 4);
        Put(archive, static_cast<std::uint32_t>(entry.name.size()), 2);
        Put(archive, static_cast<std::uint32_t>(extra.size()), 2);
    };
    Put(archive, kLocalHeaderSignature, 4);
    putEntryFields();
    archive += entry.name;
    archive += extra;
    archive += entry.data;

    const std::size_t central = archive.size();
    Put(archive, kCentralHeaderSignature, 4);
    Put(archive, versionNeeded, 2); // made by: MS-DOS attributes
    putEntryFields();
    Put(archive, 0, 2); // comment
    Put(archive, 0, 2); // disk
    Put(archive, 0, 2); // internal attributes
    Put(archive, 0, 4); // external attributes
    Put(archive, 0, 4); // local header offset
    archive += entry.name;
    archive += extra;
    const std::size_t centralSize = archive.size() - central;

    Put(archive, kEndOfDirectorySignature, 4);
    Put(archive, 0, 2);
    Put(archive, 0, 2);
    Put(archive, 1, 2);
    Put(archive, 1, 2);
    Put(archive, static_cast<std::uint32_t>(centralSize), 4);
    Put(archive, static_cast<std::uint32_t>(central), 4);
    Put(archive, 0, 2);
    return archive;
}

std::uint32_t ZipCrc32(std::string_view bytes)
{
    std::uint32_t crc = 0xffffffff;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
