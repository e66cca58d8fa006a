#include "ReadAheadStream.h"

#include <cstring>

ReadAheadStream::ReadAheadStream(ReadableStream& source, std::size_t batchSize)
    : source_(source),
      batchSize_(batchSize)
{
    current_.reserve(batchSize_);
    next_.reserve(batchSize_);
    thread_ = std::thread(&ReadAheadStream::Run, this);
}

ReadAheadStream::~ReadAheadStream()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

std::size_t ReadAheadStream::Read(unsigned char* destination, std::size_t count)
{
    std::size_t delivered = 0;
    while (delivered < count) {
        if (position_ == current_.size() && !TakeNextBatch())
            break;
        const std::size_t available = current_.size() - position_;
        const std::size_t taken = count - delivered < available ? count - delivered : available;
        std::memcpy(destination + delivered, current_.data() + position_, taken);
        position_ += taken;
        delivered += taken;
    }
    return delivered;
}

bool ReadAheadStream::TakeNextBatch()
{
    if (ended_)
        return false;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return ready_; });
    current_.swap(next_);
    position_ = 0;
    ended_ = nextIsLast_;
    failed_ = nextFailed_;
    ready_ = false;
    changed_.notify_all();
    return !current_.empty();
}

void ReadAheadStream::Run()
{
    for (;;) {
        next_.resize(batchSize_);
        const std::size_t count = source_.Read(next_.data(), batchSize_);
        next_.resize(count);
        const bool failed = source_.Failed();

        std::unique_lock lock(mutex_);
        ready_ = true;
        nextIsLast_ = count < batchSize_ || failed;
        nextFailed_ = failed;
        changed_.notify_all();
        if (nextIsLast_)
            return;
        changed_.wait(lock, [this] { return !ready_ || stopping_; });
        if (stopping_)
            return;
    }
}
