// One process per run directory: the lock a run, a resume and a merge hold on
// their directory while they work.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace colloidsim {

// The lock of the whole directory.
inline constexpr const char* DIRECTORY_LOCK_NAME = "RUN.lock";

// "n" for one particle, "A-B" for a block: the part that tells the lock and
// the record of a one-particle run or block apart ("RUN.<tag>.lock").
std::string particles_tag(std::int32_t FIRST, std::int32_t LAST);

// Locks are flock() locks on files in the directory, taken without waiting: a
// process that finds one held throws InputError naming the directory and the
// pid that holds it, before it has changed anything. The holder writes its
// pid into a lock it holds alone and removes the lock file when it ends (a
// lock file left by a killed process is free and taken over). A link planted
// at a lock name is replaced, never written through.
class RunLock {
 public:
  // An all-particles run, a resume or a merge: the directory alone, refused
  // while any other run (a block included) works there.
  static RunLock directory(const std::filesystem::path& dir, const std::string& shown);
  // The particles FIRST..LAST of a one-particle run or block: blocks of one
  // run work side by side (the directory lock is shared), but not beside an
  // all-particles run or a merge, and not beside a block that holds one of
  // the same particles.
  static RunLock particles(const std::filesystem::path& dir, const std::string& shown,
                           std::int32_t FIRST, std::int32_t LAST);

  RunLock(RunLock&& other) noexcept;
  RunLock& operator=(RunLock&&) = delete;
  ~RunLock();

 private:
  struct Held {
    std::filesystem::path path;
    int fd;
    bool exclusive;
  };
  RunLock() = default;
  std::vector<Held> held_;
};

}  // namespace colloidsim
