#include "net/InflateWorker.h"

#include <chrono>
#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace tav {

namespace {

// How long a taker spins before it sleeps: a pause costs from ten to over a hundred
// cycles, so the spin is bounded by the clock, read now and then.
constexpr std::chrono::microseconds kSpinBeforeSleep{50};
constexpr int kPausesPerClockRead = 64;

void Pause() {
#if defined(__x86_64__) || defined(__i386__)
    _mm_pause();
#endif
}

} // namespace

InflateWorker::InflateWorker() : thread_([this] { Run(); }) {}

InflateWorker::~InflateWorker() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void InflateWorker::Submit(Block block) {
    {
        const std::lock_guard lock(mutex_);
        queue_.push_back(std::move(block));
    }
    changed_.notify_all();
}

std::optional<InflateWorker::Block> InflateWorker::Take(bool wait) {
    std::optional<Block> block;
    if (wait) {
        const auto until = std::chrono::steady_clock::now() + kSpinBeforeSleep;
        while (doneSeen_.load(std::memory_order_acquire) == 0 &&
               std::chrono::steady_clock::now() < until) {
            for (int k = 0; k < kPausesPerClockRead; ++k)
                Pause();
        }
    }
    {
        std::unique_lock lock(mutex_);
        if (queue_.empty()) return block;
        if (wait) changed_.wait(lock, [this] { return done_ > 0; });
        if (done_ == 0) return block;
        block = std::move(queue_.front());
        queue_.pop_front();
        --done_;
        waitingOutput_ -= block->output.size();
        doneSeen_.store(done_, std::memory_order_release);
    }
    changed_.notify_all(); // the worker may wait for the output to be taken
    return block;
}

std::size_t InflateWorker::Queued() const {
    const std::lock_guard lock(mutex_);
    return queue_.size();
}

void InflateWorker::Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] {
            return stopping_ || (done_ < queue_.size() && waitingOutput_ < kMaxWaitingOutput);
        });
        if (stopping_) return;
        Block& block = queue_[done_];
        lock.unlock();
        Work(block);
        lock.lock();
        ++done_;
        waitingOutput_ += block.output.size();
        doneSeen_.store(done_, std::memory_order_release);
        changed_.notify_all();
    }
}

void InflateWorker::Work(Block& block) {
    if (block.newStream) inflater_ = std::make_unique<Inflater>();
    if (!inflater_) {
        block.plain = true;
        return;
    }
    const auto keep = [&block](std::string_view out) { block.output.append(out); };
    std::size_t start = 0;
    for (const std::size_t end : block.pieceEnds) {
        block.result =
            inflater_->Inflate(std::string_view(block.input).substr(start, end - start), keep);
        block.result.consumed += start;
        if (block.result.status != Inflater::Status::Open) {
            // Ended, damaged or too large: the stream takes nothing more.
            inflater_.reset();
            return;
        }
        start = end;
    }
}

} // namespace tav
