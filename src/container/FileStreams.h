#pragma once

// Files as container streams. Both constructors throw std::runtime_error naming the file when
// it cannot be opened; the destructors close what was opened.

#include "container/ByteStreams.h"

#include <cstdint>
#include <cstdio>
#include <string>

// Reads a file from its start; other processes may go on reading and writing it meanwhile.
class FileReadStream final : public ReadableStream {
public:
    explicit FileReadStream(const std::string& path);
    ~FileReadStream() override;
    FileReadStream(const FileReadStream&) = delete;
    FileReadStream& operator=(const FileReadStream&) = delete;

    std::size_t Read(unsigned char* destination, std::size_t count) override;
    bool Failed() const override;
    // The file's size when it was opened.
    std::int64_t Size() const { return size_; }

private:
    std::FILE* file_ = nullptr;
    std::int64_t size_ = 0;
};

// Creates the file, replacing any file of that name, and writes it from its start.
class FileWriteStream final : public WritableStream {
public:
    explicit FileWriteStream(const std::string& path);
    ~FileWriteStream() override;
    FileWriteStream(const FileWriteStream&) = delete;
    FileWriteStream& operator=(const FileWriteStream&) = delete;

    bool Write(const unsigned char* source, std::size_t count) override;
    // Flushes and closes the file; false when the data did not all reach it. Called by the
    // destructor too, for callers that do not need the answer.
    bool Close();

private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};
