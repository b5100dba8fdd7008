// Record layouts of the flux files, the trajectory files and the console
// progress line. Each append_ function adds one line ending in a newline.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>

#include "simulation/particle_state.h"
#include "simulation/trajectory_buffer.h"

namespace colloidsim {

// One particle's row of a flux file.
struct FluxRecord {
  std::int32_t IPART = 0;
  std::int32_t ATTACHK = 0;
  double XINIT = 0, YINIT = 0, RINJ = 0, ZINIT = 0, RINIT = 0, HINIT = 0;
  double XOUT = 0, YOUT = 0, ZOUT = 0, ROUT = 0, HOUT = 0;
  double ELAPSED = 0, PTIMEIN = 0, PTIMEOUT = 0;  // ELAPSED: ETIME, an errno macro name
  double TBULK = 0, TNEAR = 0, TFRIC = 0;
  std::int64_t NSVISIT = 0, FRICVISIT = 0;  // I15, widened for larger counts
  double ACONT = 0, RZOI = 0, AFRACT = 0;
  std::int32_t HETTYPE = 0, HETFLAG = 0;
  double NSVEL = 0, HAVE = 0, XINNS = 0, YINNS = 0, ZINNS = 0;
};

// The row of a particle that has reached its fate.
FluxRecord flux_record(const ParticleState& s);

// The fate legend, one line in every flux file: the legend entries of FATES
// joined by commas.
void append_legend(std::string& out);
void append_flux_header(std::string& out);
void append_flux_record(std::string& out, const FluxRecord& r);

// "ATTACHK= " and the fate code in five columns.
void append_fate_line(std::string& out, std::int32_t ATTACHK);
void append_trajectory_header(std::string& out);
void append_trajectory_row(std::string& out, const TrajectoryRow& row);

// Console progress after each recorded row (all-particles mode).
void append_progress_line(std::string& out, std::int32_t J, std::int64_t I, double R, double Z,
                          double H, double AFRACT);

// The progress lines of the rows a particle records, written to the console
// in blocks of about 8 KB; flush() writes the rest.
class ProgressLines final : public RecordObserver {
 public:
  explicit ProgressLines(std::ostream& console) : console_(console) {}
  void recorded(std::int32_t IPART, const TrajectoryRow& row) override;
  void flush();

 private:
  std::ostream& console_;
  std::string text_;
};

}  // namespace colloidsim
