#pragma once

// Reads the next batch of another stream on a second thread while the caller works on the
// current one, so waiting for the file system overlaps the decryption.

#include "container/ByteStreams.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

class ReadAheadStream final : public ReadableStream {
public:
    explicit ReadAheadStream(ReadableStream& source, std::size_t batchSize = 1u << 20);
    ~ReadAheadStream() override;
    ReadAheadStream(const ReadAheadStream&) = delete;
    ReadAheadStream& operator=(const ReadAheadStream&) = delete;

    std::size_t Read(unsigned char* destination, std::size_t count) override;
    // True once the caller has reached the point where the source failed.
    bool Failed() const override { return failed_; }

private:
    bool TakeNextBatch();
    void Run();

    ReadableStream& source_;
    std::size_t batchSize_;
    std::vector<unsigned char> current_; // the caller's side
    std::size_t position_ = 0;
    bool ended_ = false; // the caller has taken the last batch
    bool failed_ = false; // the caller has taken a batch that ended in failure

    std::vector<unsigned char> next_; // the thread's side until ready_
    bool ready_ = false;
    bool nextIsLast_ = false;
    bool nextFailed_ = false;
    bool stopping_ = false;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::thread thread_;
};
