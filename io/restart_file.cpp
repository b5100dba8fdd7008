#include "io/restart_file.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

#include "common/input_error.h"

namespace colloidsim {

namespace {

using I = ListItem;

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
  const std::string c[27] = {
      rec + "PARTICLE",  rec + "ATTACHK",   rec + "XINIT(m)",  rec + "YINIT(m)",
      rec + "RINJ(m)",   rec + "ZINIT(m)",  rec + "RINIT(m)",  rec + "HINIT(m)",
      rec + "XOUT(m)",   rec + "YOUT(m)",   rec + "ZOUT(m)",   rec + "ROUT(m)",
      rec + "HOUT(m)",   rec + "ETIME(s)",  rec + "PTIMEIN(s)", rec + "PTIMEOUT(s)",
      rec + "TBULK(s)",  rec + "TNEAR(s)",  rec + "TFRIC(s)",  rec + "NSVISIT",
      rec + "FRICVISIT", rec + "ACONT(m)",  rec + "RZOI(m)",   rec + "AFRACT",
      rec + "HETTYPE",   rec + "HETFLAG",   rec + "NSVEL(m/s)"};
  std::string s[20];
  reader_.read_within_line({I::text(c[0], s[0]), I::text(c[1], s[1]), I::text(c[2], s[2]),
                            I::text(c[3], s[3]), I::real(c[4], r.RINJ), I::text(c[5], s[4]),
                            I::text(c[6], s[5]), I::text(c[7], s[6]), I::real(c[8], r.XINIT),
                            I::real(c[9], r.YINIT), I::real(c[10], r.ZINIT), I::real(c[11], r.RINIT),
                            I::real(c[12], r.HINIT), I::text(c[13], s[7]), I::text(c[14], s[8]),
                            I::text(c[15], s[9]), I::text(c[16], s[10]), I::text(c[17], s[11]),
                            I::text(c[18], s[12]), I::text(c[19], s[13]), I::text(c[20], s[14]),
                            I::real(c[21], r.ACONT), I::text(c[22], s[15]), I::text(c[23], s[16]),
                            I::text(c[24], s[17]), I::text(c[25], s[18]), I::text(c[26], s[19])});
  const std::pair<const std::string*, double> taken[] = {
      {&c[4], r.RINJ},   {&c[8], r.XINIT},  {&c[9], r.YINIT}, {&c[10], r.ZINIT},
      {&c[11], r.RINIT}, {&c[12], r.HINIT}, {&c[21], r.ACONT}};
  for (const auto& [name, value] : taken) {
    if (std::isnan(value)) {
      throw InputError(RESTART_FILE, last_record_line_, *name,
                       "no value (a null or a slash left it unset)", "a real number");
    }
  }
  return r;
}

}  // namespace colloidsim
