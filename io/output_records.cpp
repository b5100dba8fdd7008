#include "io/output_records.h"

#include "common/fixed_format.h"
#include "simulation/fates.h"

namespace colloidsim {

namespace {

// A title followed by blanks up to the width of its data field.
void append_title(std::string& out, const char* title, int width) {
  const std::size_t start = out.size();
  out += title;
  const std::size_t written = out.size() - start;
  if (written < static_cast<std::size_t>(width)) append_X(out, width - static_cast<int>(written));
}

void append_E158(std::string& out, double value) { append_E(out, value, 15, 8); }

// E15.8 followed by 5X.
void append_field(std::string& out, double value) {
  append_E158(out, value);
  append_X(out, 5);
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

void append_flux_header(std::string& out) {
  append_title(out, "PARTICLE", 11);
  append_title(out, "ATTACHK", 8);
  for (const char* title :
       {"XINIT(m)", "YINIT(m)", "RINJ(m)", "ZINIT(m)", "RINIT(m)", "HINIT(m)", "XOUT(m)",
        "YOUT(m)", "ZOUT(m)", "ROUT(m)", "HOUT(m)", "ETIME(s)", "PTIMEIN(s)", "PTIMEOUT(s)",
        "TBULK(s)", "TNEAR(s)", "TFRIC(s)", "NSVISIT", "FRICVISIT", "ACONT(m)", "RZOI(m)",
        "AFRACT"}) {
    append_title(out, title, 20);
  }
  append_title(out, "HETTYPE", 8);
  append_title(out, "HETFLAG", 8);
  for (const char* title : {"NSVEL(m/s)", "HAVE(m)", "XINNS(m)", "YINNS(m)"}) {
    append_title(out, title, 20);
  }
  out += "ZINNS(m)\n";
}

void append_flux_record(std::string& out, const FluxRecord& r) {
  append_I(out, r.IPART, 6, 6);
  append_X(out, 5);
  append_I(out, r.ATTACHK, 1);
  append_X(out, 7);
  for (double value : {r.XINIT, r.YINIT, r.RINJ, r.ZINIT, r.RINIT, r.HINIT, r.XOUT, r.YOUT,
                       r.ZOUT, r.ROUT, r.HOUT, r.ELAPSED, r.PTIMEIN, r.PTIMEOUT, r.TBULK, r.TNEAR,
                       r.TFRIC}) {
    append_field(out, value);
  }
  append_I(out, r.NSVISIT, 15);
  append_X(out, 5);
  append_I(out, r.FRICVISIT, 15);
  append_X(out, 5);
  append_field(out, r.ACONT);
  append_field(out, r.RZOI);
  append_field(out, r.AFRACT);
  append_I(out, r.HETTYPE, 1);
  append_X(out, 7);
  append_I(out, r.HETFLAG, 1);
  append_X(out, 7);
  for (double value : {r.NSVEL, r.HAVE, r.XINNS, r.YINNS}) append_field(out, value);
  append_E158(out, r.ZINNS);
  out += '\n';
}

void append_fate_line(std::string& out, std::int32_t ATTACHK) {
  out += "ATTACHK= ";
  append_I(out, ATTACHK, 5);
  out += '\n';
}

void append_trajectory_header(std::string& out) {
  for (const char* title : {"I", "X", "Y", "Z", "R", "H", "ETIME", "PTIMEF", "FCOLL", "FVDW",
                            "FEDL", "FAB", "FSTE", "FBORN", "UT", "UN", "VT", "VN", "FDRGT",
                            "FDRGN", "FDIFX", "FDIFY", "FDIFZ", "FGT", "FGN", "FLIFT", "ACONT",
                            "RZOI"}) {
    append_title(out, title, 20);
  }
  out += "AFRACT\n";
}

void append_trajectory_row(std::string& out, const TrajectoryRow& w) {
  append_I(out, w.ISTEP, 15, 15);
  for (double value : {w.X, w.Y, w.Z, w.R, w.H, w.ELAPSED, w.PTIMEF, w.FCOLL, w.FVDW, w.FEDL,
                       w.FAB, w.FSTE, w.FBORN, w.UT, w.UN, w.VT, w.VN, w.FDRGT, w.FDRGN, w.FDIFX,
                       w.FDIFY, w.FDIFZ, w.FGT, w.FGN, w.FLIFT, w.ACONT, w.RZOI}) {
    append_X(out, 5);
    append_E158(out, value);
  }
  append_X(out, 5);
  append_E158(out, w.AFRACT);
  out += '\n';
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
