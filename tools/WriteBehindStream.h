#pragma once

// Passes writes on to another stream from a second thread, so the file system's share of
// the work runs while the next chunk is being decrypted. Each write is copied first, since
// the writer reuses its buffer straight away.

#include "container/ByteStreams.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class WriteBehindStream final : public WritableStream {
public:
    explicit WriteBehindStream(WritableStream& target, std::size_t batchSize = 1u << 20);
    ~WriteBehindStream() override;
    WriteBehindStream(const WriteBehindStream&) = delete;
    WriteBehindStream& operator=(const WriteBehindStream&) = delete;

    // False once any earlier batch failed to reach the target.
    bool Write(const unsigned char* source, std::size_t count) override;
    // Passes on what is left and waits for it; true when every byte reached the target.
    bool Finish();

private:
    bool HandOver();
    void Run();

    WritableStream& target_;
    std::size_t batchSize_;
    std::vector<unsigned char> filling_; // the caller's side
    std::vector<unsigned char> handed_; // the thread's side while busy_
    std::mutex mutex_;
    std::condition_variable changed_;
    bool busy_ = false;
    bool stopping_ = false;
    bool failed_ = false;
    bool finished_ = false;
    std::thread thread_;
};
