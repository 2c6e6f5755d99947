#include "common/CommitQueue.h"

#include <utility>

namespace common {

CommitQueue::~CommitQueue() {
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void CommitQueue::Add(AtomicFileWriter writer, std::string tag) {
  {
    std::lock_guard lock(mutex_);
    jobs_.push_back(Job{std::move(writer), std::move(tag)});
    if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
  }
  changed_.notify_all();
}

std::vector<CommitQueue::Outcome> CommitQueue::Finish() {
  std::unique_lock lock(mutex_);
  // Each job is one sync to disk and one rename, as the giver would have
  // done itself.
  changed_.wait(lock, [this] { return jobs_.empty() && !busy_; });
  return std::exchange(done_, {});
}

void CommitQueue::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
    if (jobs_.empty()) return;  // ending, nothing left
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    busy_ = true;
    lock.unlock();
    Result<void> result = job.writer.Commit();
    lock.lock();
    done_.push_back(Outcome{std::move(job.tag), std::move(result)});
    busy_ = false;
    changed_.notify_all();
  }
}

}  // namespace common
