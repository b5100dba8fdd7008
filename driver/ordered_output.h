// Particles run side by side finish in any order; their console lines and
// flux rows go out in particle order all the same.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "io/output_file.h"

namespace colloidsim {

// Particle J's output goes out once every earlier particle's is out. The
// particle at the head (the lowest one not yet out) writes its console text
// straight through; the others' waits in memory and, beyond a budget shared
// by all of them, in an unnamed scratch file. A flux row goes out, in one
// write, the moment its particle is at the head and finished, so a run that
// is killed leaves every flux file with a whole prefix of rows.
class OrderedOutput {
 public:
  // first: the first particle of the run. console: where the progress lines
  // go, or null. flux: the flux files of the families EX, ATT, REM.
  OrderedOutput(std::int32_t first, std::ostream* console, std::array<OutputFile*, 3> flux,
                std::size_t memory_budget = std::size_t{64} << 20);
  ~OrderedOutput();
  OrderedOutput(const OrderedOutput&) = delete;
  OrderedOutput& operator=(const OrderedOutput&) = delete;

  // The next part of particle J's console text (moved from text, which is
  // left empty).
  void console_text(std::int32_t J, std::string& text);

  // Particle J is finished: the rest of its console text, and its flux row
  // for the file of family (0 EX, 1 ATT, 2 REM).
  void finish(std::int32_t J, std::string& console_text, int family, const std::string& row);

  // The lowest particle whose output is not yet out (one past the largest
  // particle number once the last one is out, hence 64 bits).
  std::int64_t head() const;

 private:
  struct Extent {
    long offset;
    std::size_t size;
  };
  struct Pending {
    std::string text;              // console text held in memory
    std::vector<Extent> spilled;   // console text held in the scratch file, after text
    bool finished = false;
    int family = 0;
    std::string row;
  };

  void hold(Pending& p, std::string& text);
  void write_console(const std::string& text);
  void write_out(Pending& p);  // the console text it holds, in order
  void drain();

  mutable std::mutex mutex_;
  std::int64_t head_;
  std::ostream* console_;
  std::array<OutputFile*, 3> flux_;
  std::size_t memory_budget_;
  std::size_t memory_used_ = 0;
  std::map<std::int64_t, Pending> pending_;
  std::FILE* scratch_ = nullptr;
  long scratch_end_ = 0;
};

}  // namespace colloidsim
