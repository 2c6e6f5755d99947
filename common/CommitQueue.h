// Finishes atomic writes on a thread of its own: each writer given is
// committed (synced to disk, then renamed over its target) there, in the
// order given, while the giver goes on with other work. A commit that
// fails removes its temporary file and leaves the target as it was; the
// outcome of every commit comes back from Finish.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/File.h"
#include "common/Result.h"

namespace common {

class CommitQueue {
 public:
  struct Outcome {
    std::string tag;  // the giver's name for the write
    Result<void> result;
  };

  CommitQueue() = default;
  // Commits what is still queued, then ends the thread.
  ~CommitQueue();
  CommitQueue(const CommitQueue&) = delete;
  CommitQueue& operator=(const CommitQueue&) = delete;

  // Queues the commit of a whole write.
  void Add(AtomicFileWriter writer, std::string tag);
  // Waits until every write given so far is committed (or failed) and
  // hands over their outcomes, in the order given.
  std::vector<Outcome> Finish();

 private:
  struct Job {
    AtomicFileWriter writer;
    std::string tag;
  };
  void Run();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> jobs_;
  std::vector<Outcome> done_;
  bool busy_ = false;  // the thread is committing a job it took
  bool ending_ = false;
  std::thread thread_;
};

}  // namespace common
