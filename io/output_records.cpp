#include "io/output_records.h"

#include <array>
#include <string_view>

#include "common/fixed_format.h"
#include "io/record_columns.h"
#include "simulation/fates.h"

namespace colloidsim {

namespace {

// A title followed by blanks up to the width of its data field.
void append_title(std::string& out, std::string_view title, int width) {
  out += title;
  if (title.size() < static_cast<std::size_t>(width)) {
    append_X(out, width - static_cast<int>(title.size()));
  }
}

template <typename Record, std::size_t N>
void append_header(std::string& out, const std::array<RecordColumn<Record>, N>& table) {
  for (std::size_t k = 0; k + 1 < N; ++k) append_title(out, table[k].title, table[k].width);
  out += table[N - 1].title;
  out += '\n';
}

template <typename Record, std::size_t N>
void append_row(std::string& out, const std::array<RecordColumn<Record>, N>& table,
                const Record& r) {
  for (const RecordColumn<Record>& c : table) {
    if (c.kind == ColumnKind::Real) {
      append_E(out, r.*c.real, c.field, c.digits);
    } else {
      append_I(out, c.int32 ? std::int64_t{r.*c.int32} : r.*c.int64, c.field, c.digits);
    }
    append_X(out, c.width - c.field);
  }
  out += '\n';
}

}  // namespace

FluxRecord flux_record(const ParticleState& s) {
  const ParticleMotion& m = s.motion;
  const ParticleBookkeeping& b = s.bookkeeping;
  FluxRecord r;
  r.IPART = b.IPART;
  r.ATTACHK = code_of(b.ATTACHK);
  r.XINIT = b.XINIT;
  r.YINIT = b.YINIT;
  r.RINJ = b.RINJ;
  r.ZINIT = b.ZINIT;
  r.RINIT = b.RINIT;
  r.HINIT = b.HINIT;
  r.XOUT = m.X;
  r.YOUT = m.Y;
  r.ZOUT = m.Z;
  r.ROUT = m.R;
  r.HOUT = m.H;
  r.ELAPSED = b.ELAPSED;
  r.PTIMEIN = b.PTIMEIN;
  r.PTIMEOUT = b.PTIMEF;
  r.TBULK = b.TBULK;
  r.TNEAR = b.TNEAR;
  r.TFRIC = b.TFRIC;
  r.NSVISIT = b.NSVISIT;
  r.FRICVISIT = b.FRICVISIT;
  r.ACONT = m.ACONT;
  r.RZOI = m.RZOI;
  r.AFRACT = s.forces.AFRACT;
  r.HETTYPE = b.HETTYPE;
  r.HETFLAG = b.HETFLAG;
  r.NSVEL = b.NSVEL;
  r.HAVE = b.HAVE;
  r.XINNS = b.XINNS;
  r.YINNS = b.YINNS;
  r.ZINNS = b.ZINNS;
  return r;
}

void append_legend(std::string& out) {
  for (const FateFacts& f : FATES) {
    if (f.fate != Fate::Exit) out += ',';
    out += f.legend;
  }
  out += '\n';
}

void append_flux_header(std::string& out) { append_header(out, FLUX_COLUMNS); }

void append_flux_record(std::string& out, const FluxRecord& r) {
  append_row(out, FLUX_COLUMNS, r);
}

void append_fate_line(std::string& out, std::int32_t ATTACHK) {
  out += "ATTACHK= ";
  append_I(out, ATTACHK, 5);
  out += '\n';
}

void append_trajectory_header(std::string& out) { append_header(out, TRAJECTORY_COLUMNS); }

void append_trajectory_row(std::string& out, const TrajectoryRow& w) {
  append_row(out, TRAJECTORY_COLUMNS, w);
}

void append_progress_line(std::string& out, std::int32_t J, std::int64_t I, double R, double Z,
                          double H, double AFRACT) {
  out += "J= ";
  append_I(out, J, 6);
  out += " I= ";
  append_I(out, I, 15);
  out += " R= ";
  append_E(out, R, 12, 5);
  out += " Z= ";
  append_E(out, Z, 15, 8);
  out += " H= ";
  append_E(out, H, 12, 5);
  out += " AFRACT= ";
  append_E(out, AFRACT, 12, 5);
  out += '\n';
}

void ProgressLines::recorded(std::int32_t IPART, const TrajectoryRow& row) {
  append_progress_line(text_, IPART, row.ISTEP, row.R, row.Z, row.H, row.AFRACT);
  if (text_.size() > 8192) flush();
}

void ProgressLines::flush() {
  console_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  text_.clear();
}

}  // namespace colloidsim
