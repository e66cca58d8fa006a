#include "branding/SkinFile.h"

#include <zlib.h>

namespace {

constexpr std::size_t kHeaderSize = 8;
constexpr std::size_t kSizePrefix = 4;

std::uint32_t LittleEndian32(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (int index = 3; index >= 0; --index)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(index)]);
    return value;
}

std::uint32_t BigEndian32(std::string_view bytes)
{
    std::uint32_t value = 0;
    for (int index = 0; index < 4; ++index)
        value = (value << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(index)]);
    return value;
}

void AppendLittleEndian32(std::string& out, std::uint32_t value)
{
    for (int index = 0; index < 4; ++index)
        out.push_back(static_cast<char>((value >> (8 * index)) & 0xff));
}

void AppendBigEndian32(std::string& out, std::uint32_t value)
{
    for (int index = 3; index >= 0; --index)
        out.push_back(static_cast<char>((value >> (8 * index)) & 0xff));
}

// Inflates a whole zlib stream into exactly `size` bytes; nothing when the stream is broken,
// ends early, runs longer, or is followed by more bytes.
std::optional<std::string> InflateExactly(std::string_view stream, std::size_t size)
{
    std::string out(size, '\0');
    z_stream inflater{};
    if (inflateInit(&inflater) != Z_OK)
        return std::nullopt;
    inflater.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    inflater.avail_in = static_cast<uInt>(stream.size());
    inflater.next_out = reinterpret_cast<Bytef*>(out.data());
    inflater.avail_out = static_cast<uInt>(out.size());
    int status = inflate(&inflater, Z_FINISH);
    // A stream that has filled the buffer but not ended yet may only have its end to go.
    if (status == Z_BUF_ERROR && inflater.avail_out == 0) {
        unsigned char probe = 0;
        inflater.next_out = &probe;
        inflater.avail_out = 1;
        status = inflate(&inflater, Z_FINISH);
        if (inflater.avail_out == 0)
            status = Z_DATA_ERROR; // more data than announced
    }
    const bool whole = status == Z_STREAM_END && inflater.total_out == size && inflater.avail_in == 0;
    inflateEnd(&inflater);
    if (!whole)
        return std::nullopt;
    return out;
}

} // namespace

std::optional<std::string> ReadSkinFile(std::string_view file)
{
    if (file.size() < kHeaderSize)
        return std::nullopt;
    const auto format = static_cast<std::int32_t>(LittleEndian32(file.substr(0, 4)));
    if (format > kSkinFormatNumber)
        return std::nullopt;
    const std::uint32_t length = LittleEndian32(file.substr(4, 4));
    // What follows the L bytes (a reseller's tool may pad the file) is not skin data.
    if (file.size() - kHeaderSize < length || length < kSizePrefix)
        return std::nullopt;
    const std::string_view data = file.substr(kHeaderSize, length);
    const std::uint32_t size = BigEndian32(data);
    // Deflate shrinks nothing by more than about 1032 to 1, so a larger claim is false; checked
    // before the room for it is taken.
    const std::size_t possible = (data.size() - kSizePrefix) * 1032 + 64;
    if (size == 0 || size > kMaxStyleSheetSize || size > possible)
        return std::nullopt;
    return InflateExactly(data.substr(kSizePrefix), size);
}

std::string PackSkinFile(std::string_view styleSheet)
{
    uLongf bound = compressBound(static_cast<uLong>(styleSheet.size()));
    std::string compressed(bound, '\0');
    compress2(reinterpret_cast<Bytef*>(compressed.data()), &bound, reinterpret_cast<const Bytef*>(styleSheet.data()),
        static_cast<uLong>(styleSheet.size()), Z_BEST_COMPRESSION);
    compressed.resize(bound);

    std::string data;
    AppendBigEndian32(data, static_cast<std::uint32_t>(styleSheet.size()));
    data += compressed;
    std::string file;
    AppendLittleEndian32(file, static_cast<std::uint32_t>(kSkinFormatNumber));
    AppendLittleEndian32(file, static_cast<std::uint32_t>(data.size()));
    return file + data;
}
