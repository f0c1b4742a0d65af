#pragma once

#include "net/Inflater.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace tav {

// Inflates a connection's MCCP streams on a thread of its own, so that a flood of
// compressed text is inflated while the text before it is parsed. Blocks of the byte
// stream go in and come back in the order they went in: inflated, with the stream's
// state after them, or, when the stream they were sent for had already ended (or
// failed), as they went in, to be read as plain bytes again.
class InflateWorker {
public:
    // The worker goes on to the next block only while the text inflated and not yet taken
    // back is smaller than this (one block may inflate to more).
    static constexpr std::size_t kMaxWaitingOutput = 4 * 1024 * 1024;

    struct Block {
        std::string input;
        // Where each piece received on its own ends in `input`: each is inflated by a call of
        // its own, as it would have been on arrival (Inflater's bound is per call).
        std::vector<std::size_t> pieceEnds;
        bool newStream = false; // the first block of a stream: a fresh inflater takes it
        // Filled in by the worker.
        bool plain = false; // the stream had ended before this block: `input` is as sent
        std::string output; // what the block inflated to
        // The stream after the block; `consumed` counts the bytes of `input` it took (all of
        // them while it stays open).
        Inflater::Result result;
    };

    InflateWorker();
    // Stops the thread; blocks not taken back are dropped.
    ~InflateWorker();
    InflateWorker(const InflateWorker&) = delete;
    InflateWorker& operator=(const InflateWorker&) = delete;

    // Queues a block (its pieceEnds and newStream set; the rest is the worker's).
    void Submit(Block block);
    // The oldest block not yet taken back, once the worker is done with it: nullopt when
    // none is waiting, or when `wait` is false and the worker is still at it.
    std::optional<Block> Take(bool wait);
    // Blocks submitted and not yet taken back.
    std::size_t Queued() const;

private:
    void Run();
    void Work(Block& block);

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    // In the order submitted; the first done_ of them are finished. The worker reads and
    // fills the block at done_ outside the lock: elements of a deque stay in place while
    // others are added at the back or taken from the front.
    std::deque<Block> queue_;
    std::size_t done_ = 0;
    std::size_t waitingOutput_ = 0; // inflated bytes of the finished blocks
    // done_, readable without the lock: a taker about to wait spins on it a little first,
    // as the block it waits for is mostly almost done, and a sleep and a wake cost more.
    std::atomic<std::size_t> doneSeen_{0};
    bool stopping_ = false;
    // The worker thread's own.
    std::unique_ptr<Inflater> inflater_;
    std::thread thread_;
};

} // namespace tav
