// The recorded rows of one particle's trajectory: 50000 rows; once full, later
// rows overwrite it from row 2, 3, ... onward, so the earliest rows stay.
#pragma once

#include <cstdint>
#include <vector>

#include "simulation/particle_state.h"

namespace colloidsim {

// One recorded time step: the step, where the particle was, its clocks and
// speeds, its contact and the whole force breakdown of the step (the
// trajectory files write the breakdown's fluid and forces, not the near-wall
// functions).
struct TrajectoryRow : ForceBreakdown {
  std::int64_t ISTEP = 0;
  double X = 0, Y = 0, Z = 0, R = 0, H = 0;
  double ELAPSED = 0, PTIMEF = 0;  // ELAPSED is the ETIME column (ETIME is an errno macro)
  double UT = 0, UN = 0;
  double ACONT = 0, RZOI = 0;
};

// Told of every row a particle records, as it records it (the console
// progress lines follow them).
class RecordObserver {
 public:
  virtual ~RecordObserver() = default;
  virtual void recorded(std::int32_t IPART, const TrajectoryRow& row) = 0;
};

class TrajectoryBuffer {
 public:
  static constexpr int ROWS = 50000;

  // Room for every row is taken at once, but a row is only written when it
  // is recorded: a particle that records few rows touches little memory,
  // and no row is filled twice.
  TrajectoryBuffer() { rows_.reserve(ROWS); }

  // Back to an empty buffer: record index 1, wrap index 1, no rows.
  void reset() {
    rows_.clear();
    record_index_ = 1;
    wrap_index_ = 1;
  }

  // Stores a row at the record index, then advances it with the wrap rule.
  void store(const TrajectoryRow& row) {
    put(row);
    ++record_index_;
    if (record_index_ > ROWS) {
      ++wrap_index_;
      if (wrap_index_ == ROWS) --wrap_index_;
      record_index_ = wrap_index_;
    }
  }

  // Stores the final state at the record index without advancing; returns its
  // index IREC.
  int store_final(const TrajectoryRow& row) {
    put(row);
    return record_index_;
  }

  int record_index() const { return record_index_; }
  int wrap_index() const { return wrap_index_; }
  // Rows stored since the last reset (at most ROWS); row(k) is defined for k
  // from 1 to this count.
  int rows_stored() const { return static_cast<int>(rows_.size()); }
  // Row k, counted from 1.
  const TrajectoryRow& row(int k) const { return rows_[static_cast<std::size_t>(k - 1)]; }

 private:
  // Rows are recorded in order until the buffer is full, so the record index
  // is either a row already stored or the next one.
  void put(const TrajectoryRow& row) {
    const auto i = static_cast<std::size_t>(record_index_ - 1);
    if (i == rows_.size()) {
      rows_.push_back(row);
    } else {
      rows_[i] = row;
    }
  }

  std::vector<TrajectoryRow> rows_;
  int record_index_ = 1;
  int wrap_index_ = 1;
};

// The rows written to a trajectory file, in order: rows 1..W-1, then W, W+S,
// W+2S, ... up to IREC-2 with the stride S = IREC/PRINTMAX + 1, then every row
// after the last of those up to IREC.
std::vector<int> thinned_rows(int IREC, int W, int PRINTMAX);

}  // namespace colloidsim
