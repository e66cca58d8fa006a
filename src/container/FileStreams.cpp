#include "container/FileStreams.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace {

std::runtime_error OpenError(const char* what, const std::string& path, int error)
{
    return std::runtime_error(std::string("Cannot ") + what + " " + path + ": " + std::strerror(error));
}

} // namespace

FileReadStream::FileReadStream(const std::string& path)
{
    // A folder opens for reading on POSIX and only fails at the first read; refuse it here.
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        throw OpenError("open", path, EISDIR);
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr)
        throw OpenError("open", path, errno);
    // The container reads whole chunks into its own buffer; a second buffer only adds copies.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    std::error_code sizeError;
    const auto size = std::filesystem::file_size(path, sizeError);
    size_ = sizeError ? 0 : static_cast<std::int64_t>(size);
}

FileReadStream::~FileReadStream()
{
    std::fclose(file_);
}

std::size_t FileReadStream::Read(unsigned char* destination, std::size_t count)
{
    return std::fread(destination, 1, count, file_);
}

bool FileReadStream::Failed() const
{
    return std::ferror(file_) != 0;
}

FileWriteStream::FileWriteStream(const std::string& path)
{
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr)
        throw OpenError("create", path, errno);
    std::setvbuf(file_, nullptr, _IONBF, 0);
}

FileWriteStream::~FileWriteStream()
{
    Close();
}

bool FileWriteStream::Write(const unsigned char* source, std::size_t count)
{
    if (file_ == nullptr || failed_)
        return false;
    if (count != 0 && std::fwrite(source, 1, count, file_) != count)
        failed_ = true;
    return !failed_;
}

bool FileWriteStream::Close()
{
    if (file_ != nullptr) {
        if (std::fclose(file_) != 0)
            failed_ = true;
        file_ = nullptr;
    }
    return !failed_;
}
