#include "io/restart_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "common/input_error.h"
#include "io/record_columns.h"

namespace colloidsim {

namespace {

// The columns a restart reads: every column of a flux row must stand on the
// record's line (a record with one missing would otherwise be read with the
// columns after the gap shifted), and of them it takes the injection radius,
// the final point (where the restarted particle starts) and the contact
// radius.
constexpr std::size_t READ_COLUMNS = FLUX_COLUMNS.size();
constexpr std::pair<double FluxRecord::*, double RestartRecord::*> TAKEN[] = {
    {&FluxRecord::RINJ, &RestartRecord::RINJ},   {&FluxRecord::XOUT, &RestartRecord::XINIT},
    {&FluxRecord::YOUT, &RestartRecord::YINIT},  {&FluxRecord::ZOUT, &RestartRecord::ZINIT},
    {&FluxRecord::ROUT, &RestartRecord::RINIT},  {&FluxRecord::HOUT, &RestartRecord::HINIT},
    {&FluxRecord::ACONT, &RestartRecord::ACONT}};

static_assert([] {
  for (const auto& [column, target] : TAKEN) {
    if (column_of(FLUX_COLUMNS, column) >= READ_COLUMNS) return false;
  }
  return true;
}());

// The member of the restart record a column fills, nullptr for a column the
// restart reads past.
double RestartRecord::*taken_by(const FluxColumn& column) {
  for (const auto& [from, target] : TAKEN) {
    if (column.real == from) return target;
  }
  return nullptr;
}

}  // namespace

// Six heading lines and the records of 571 bytes that the program writes,
// with room to spare for a file edited by hand.
std::size_t RestartFile::restart_bytes(std::int32_t records) {
  return (std::size_t{1} << 20) + static_cast<std::size_t>(std::max(records, 0)) * 4096;
}

RestartFile::RestartFile(const std::filesystem::path& path, std::int32_t records)
    : RestartFile(ListReader::from_file(
          path, RESTART_FILE,
          "the flux file of attached particles of an earlier run in the working directory "
          "(ATTMODE = -1 restarts from it)",
          restart_bytes(records), true)) {}

RestartFile::RestartFile(ListReader reader) : reader_(std::move(reader)) {
  reader_.keep_origins(false);
  std::string scratch;
  for (int heading = 0; heading < 6; ++heading) {
    reader_.read({ListItem::text("heading line", scratch, 20)});
  }
  record_start_.push_back(reader_.next_line());
}

RestartRecord RestartFile::record(std::int32_t k) {
  std::string scratch;
  // Records before k are consumed by one-item reads, as a fresh read would.
  while (static_cast<std::int32_t>(record_start_.size()) < k) {
    reader_.seek_line(record_start_.back());
    reader_.read({ListItem::text("record " + std::to_string(record_start_.size()), scratch, 20)});
    record_start_.push_back(reader_.next_line());
  }
  // Blank lines before the record are skipped, as a free-format read does.
  int line = record_start_[static_cast<std::size_t>(k - 1)];
  while (line < reader_.line_count() && reader_.line_is_blank(line)) ++line;
  reader_.seek_line(line);
  last_record_line_ = line + 1;

  // A column the read leaves unchanged (a null, or a slash before it) keeps
  // this mark.
  constexpr double UNSET = std::numeric_limits<double>::quiet_NaN();
  RestartRecord r{UNSET, UNSET, UNSET, UNSET, UNSET, UNSET, UNSET};
  const std::string rec = "record " + std::to_string(k) + " ";
  std::array<std::string, READ_COLUMNS> names;
  std::array<std::string, READ_COLUMNS> skipped;
  std::array<double RestartRecord::*, READ_COLUMNS> targets{};
  std::vector<ListItem> items;
  items.reserve(READ_COLUMNS);
  for (std::size_t c = 0; c < READ_COLUMNS; ++c) {
    names[c] = rec + std::string(FLUX_COLUMNS[c].title);
    targets[c] = taken_by(FLUX_COLUMNS[c]);
    items.push_back(targets[c] ? ListItem::real(names[c], r.*targets[c])
                               : ListItem::text(names[c], skipped[c]));
  }
  reader_.read_within_line(items);
  // A column too many may stand anywhere on the line and shift the others.
  if (!reader_.left_on_line().empty()) {
    throw InputError(RESTART_FILE, last_record_line_, "",
                     quoted_value(reader_.left_on_line()) + " after the last column, " +
                         std::string(FLUX_COLUMNS[READ_COLUMNS - 1].title),
                     "a record of the " + std::to_string(READ_COLUMNS) +
                         " columns of a flux row, no more");
  }
  for (std::size_t c = 0; c < READ_COLUMNS; ++c) {
    if (targets[c] ? std::isnan(r.*targets[c]) : skipped[c].empty()) {
      throw InputError(RESTART_FILE, last_record_line_, names[c],
                       "no value (a null or a slash left it unset)",
                       std::string(targets[c] ? "a real number" : "a value") + " (a record holds all " +
                           std::to_string(READ_COLUMNS) + " columns of a flux row)");
    }
  }
  return r;
}

}  // namespace colloidsim
