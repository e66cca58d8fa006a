#include "WriteBehindStream.h"

#include <cstring>

WriteBehindStream::WriteBehindStream(WritableStream& target, std::size_t batchSize)
    : target_(target),
      batchSize_(batchSize)
{
    filling_.reserve(batchSize_);
    handed_.reserve(batchSize_);
    thread_ = std::thread(&WriteBehindStream::Run, this);
}

WriteBehindStream::~WriteBehindStream()
{
    Finish();
}

bool WriteBehindStream::Write(const unsigned char* source, std::size_t count)
{
    while (count > 0) {
        const std::size_t room = batchSize_ - filling_.size();
        const std::size_t taken = count < room ? count : room;
        filling_.insert(filling_.end(), source, source + taken);
        source += taken;
        count -= taken;
        if (filling_.size() == batchSize_ && !HandOver())
            return false;
    }
    std::lock_guard lock(mutex_);
    return !failed_;
}

bool WriteBehindStream::HandOver()
{
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
    if (failed_)
        return false;
    filling_.swap(handed_);
    filling_.clear();
    busy_ = true;
    changed_.notify_all();
    return true;
}

bool WriteBehindStream::Finish()
{
    if (!finished_) {
        finished_ = true;
        if (!filling_.empty())
            HandOver();
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    return !failed_;
}

void WriteBehindStream::Run()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return busy_ || stopping_; });
        if (!busy_)
            return;
        lock.unlock();
        const bool written = target_.Write(handed_.data(), handed_.size());
        lock.lock();
        failed_ = failed_ || !written;
        busy_ = false;
        changed_.notify_all();
    }
}
