#pragma once

// The two stream ends the container reads from and writes to, and in-memory versions of
// both. Reads and writes move whole runs of bytes; the container never seeks.

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

class ReadableStream {
public:
    virtual ~ReadableStream() = default;
    // Reads up to `count` bytes and returns how many arrived. Fewer arrive only at the end of
    // the data or on a failure; Failed() tells the two apart.
    virtual std::size_t Read(unsigned char* destination, std::size_t count) = 0;
    virtual bool Failed() const = 0;
};

class WritableStream {
public:
    virtual ~WritableStream() = default;
    // Writes all `count` bytes; false when they could not all be written.
    virtual bool Write(const unsigned char* source, std::size_t count) = 0;
};

// Reads from bytes the caller keeps alive.
class MemoryReadStream final : public ReadableStream {
public:
    explicit MemoryReadStream(std::string_view bytes)
        : bytes_(bytes)
    { }

    std::size_t Read(unsigned char* destination, std::size_t count) override
    {
        const std::size_t available = bytes_.size() - position_;
        const std::size_t taken = count < available ? count : available;
        if (taken != 0)
            std::memcpy(destination, bytes_.data() + position_, taken);
        position_ += taken;
        return taken;
    }
    bool Failed() const override { return false; }

private:
    std::string_view bytes_;
    std::size_t position_ = 0;
};

// Appends to a string the caller owns.
class MemoryWriteStream final : public WritableStream {
public:
    explicit MemoryWriteStream(std::string& bytes)
        : bytes_(bytes)
    { }

    bool Write(const unsigned char* source, std::size_t count) override
    {
        bytes_.append(reinterpret_cast<const char*>(source), count);
        return true;
    }

private:
    std::string& bytes_;
};
