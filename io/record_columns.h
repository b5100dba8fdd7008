// The columns of the flux rows and the trajectory rows: title, widths, kind
// and the record member each holds. The writers of the headers and rows and
// the readers of flux rows (run files, "FLUXATT.IN") all follow these tables;
// python/colloidsim/readers.py keeps its own copy, which its tests check
// against the header the program writes.
//
// A column takes `width` characters: its field (Ew.d or Iw.m, right-aligned
// in `field` characters) and then blanks; its title is left-aligned in the
// same characters. The last column of a row has no blanks after its field and
// the last title none after it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <type_traits>

#include "io/output_records.h"
#include "simulation/trajectory_buffer.h"

namespace colloidsim {

enum class ColumnKind { Integer, Real };

template <typename Record>
struct RecordColumn {
  std::string_view title;
  int width;
  int field;   // w of Ew.d or Iw.m
  int digits;  // d of Ew.d, m of Iw.m
  ColumnKind kind;
  // The member the column holds: real for a real column, one of the other
  // two for an integer column.
  double Record::*real = nullptr;
  std::int32_t Record::*int32 = nullptr;
  std::int64_t Record::*int64 = nullptr;
};

namespace columns {

// E15.8 and the blanks up to `width`.
template <typename Record>
constexpr RecordColumn<Record> real(std::string_view title, double Record::*member,
                                    int width = 20) {
  return {title, width, 15, 8, ColumnKind::Real, member, nullptr, nullptr};
}

// Iw.m and the blanks up to `width`.
template <typename Record>
constexpr RecordColumn<Record> integer(std::string_view title, std::int32_t Record::*member,
                                       int width, int field, int digits = 1) {
  return {title, width, field, digits, ColumnKind::Integer, nullptr, member, nullptr};
}
template <typename Record>
constexpr RecordColumn<Record> integer(std::string_view title, std::int64_t Record::*member,
                                       int width, int field, int digits = 1) {
  return {title, width, field, digits, ColumnKind::Integer, nullptr, nullptr, member};
}

}  // namespace columns

using FluxColumn = RecordColumn<FluxRecord>;
using TrajectoryColumn = RecordColumn<TrajectoryRow>;

// PARTICLE I6.6, ATTACHK I1, the visit counts I15, HETTYPE and HETFLAG I1,
// every real E15.8.
inline constexpr std::array<FluxColumn, 31> FLUX_COLUMNS = {
    columns::integer("PARTICLE", &FluxRecord::IPART, 11, 6, 6),
    columns::integer("ATTACHK", &FluxRecord::ATTACHK, 8, 1),
    columns::real("XINIT(m)", &FluxRecord::XINIT),
    columns::real("YINIT(m)", &FluxRecord::YINIT),
    columns::real("RINJ(m)", &FluxRecord::RINJ),
    columns::real("ZINIT(m)", &FluxRecord::ZINIT),
    columns::real("RINIT(m)", &FluxRecord::RINIT),
    columns::real("HINIT(m)", &FluxRecord::HINIT),
    columns::real("XOUT(m)", &FluxRecord::XOUT),
    columns::real("YOUT(m)", &FluxRecord::YOUT),
    columns::real("ZOUT(m)", &FluxRecord::ZOUT),
    columns::real("ROUT(m)", &FluxRecord::ROUT),
    columns::real("HOUT(m)", &FluxRecord::HOUT),
    columns::real("ETIME(s)", &FluxRecord::ELAPSED),
    columns::real("PTIMEIN(s)", &FluxRecord::PTIMEIN),
    columns::real("PTIMEOUT(s)", &FluxRecord::PTIMEOUT),
    columns::real("TBULK(s)", &FluxRecord::TBULK),
    columns::real("TNEAR(s)", &FluxRecord::TNEAR),
    columns::real("TFRIC(s)", &FluxRecord::TFRIC),
    columns::integer("NSVISIT", &FluxRecord::NSVISIT, 20, 15),
    columns::integer("FRICVISIT", &FluxRecord::FRICVISIT, 20, 15),
    columns::real("ACONT(m)", &FluxRecord::ACONT),
    columns::real("RZOI(m)", &FluxRecord::RZOI),
    columns::real("AFRACT", &FluxRecord::AFRACT),
    columns::integer("HETTYPE", &FluxRecord::HETTYPE, 8, 1),
    columns::integer("HETFLAG", &FluxRecord::HETFLAG, 8, 1),
    columns::real("NSVEL(m/s)", &FluxRecord::NSVEL),
    columns::real("HAVE(m)", &FluxRecord::HAVE),
    columns::real("XINNS(m)", &FluxRecord::XINNS),
    columns::real("YINNS(m)", &FluxRecord::YINNS),
    columns::real("ZINNS(m)", &FluxRecord::ZINNS, 15),
};

// I I15.15, every other column E15.8. (The force columns are members of the
// breakdown a row holds, so the record type is named.)
inline constexpr std::array<TrajectoryColumn, 29> TRAJECTORY_COLUMNS = {
    columns::integer<TrajectoryRow>("I", &TrajectoryRow::ISTEP, 20, 15, 15),
    columns::real<TrajectoryRow>("X", &TrajectoryRow::X),
    columns::real<TrajectoryRow>("Y", &TrajectoryRow::Y),
    columns::real<TrajectoryRow>("Z", &TrajectoryRow::Z),
    columns::real<TrajectoryRow>("R", &TrajectoryRow::R),
    columns::real<TrajectoryRow>("H", &TrajectoryRow::H),
    columns::real<TrajectoryRow>("ETIME", &TrajectoryRow::ELAPSED),
    columns::real<TrajectoryRow>("PTIMEF", &TrajectoryRow::PTIMEF),
    columns::real<TrajectoryRow>("FCOLL", &TrajectoryRow::FCOLL),
    columns::real<TrajectoryRow>("FVDW", &TrajectoryRow::FVDW),
    columns::real<TrajectoryRow>("FEDL", &TrajectoryRow::FEDL),
    columns::real<TrajectoryRow>("FAB", &TrajectoryRow::FAB),
    columns::real<TrajectoryRow>("FSTE", &TrajectoryRow::FSTE),
    columns::real<TrajectoryRow>("FBORN", &TrajectoryRow::FBORN),
    columns::real<TrajectoryRow>("UT", &TrajectoryRow::UT),
    columns::real<TrajectoryRow>("UN", &TrajectoryRow::UN),
    columns::real<TrajectoryRow>("VT", &TrajectoryRow::VT),
    columns::real<TrajectoryRow>("VN", &TrajectoryRow::VN),
    columns::real<TrajectoryRow>("FDRGT", &TrajectoryRow::FDRGT),
    columns::real<TrajectoryRow>("FDRGN", &TrajectoryRow::FDRGN),
    columns::real<TrajectoryRow>("FDIFX", &TrajectoryRow::FDIFX),
    columns::real<TrajectoryRow>("FDIFY", &TrajectoryRow::FDIFY),
    columns::real<TrajectoryRow>("FDIFZ", &TrajectoryRow::FDIFZ),
    columns::real<TrajectoryRow>("FGT", &TrajectoryRow::FGT),
    columns::real<TrajectoryRow>("FGN", &TrajectoryRow::FGN),
    columns::real<TrajectoryRow>("FLIFT", &TrajectoryRow::FLIFT),
    columns::real<TrajectoryRow>("ACONT", &TrajectoryRow::ACONT),
    columns::real<TrajectoryRow>("RZOI", &TrajectoryRow::RZOI),
    columns::real<TrajectoryRow>("AFRACT", &TrajectoryRow::AFRACT, 15),
};

// The index of the column that holds a member; the size of the table when
// none does.
template <typename Record, std::size_t N, typename Member>
constexpr std::size_t column_of(const std::array<RecordColumn<Record>, N>& table,
                                Member Record::*member) {
  for (std::size_t k = 0; k < N; ++k) {
    if constexpr (std::is_same_v<Member, double>) {
      if (table[k].real == member) return k;
    } else if constexpr (std::is_same_v<Member, std::int32_t>) {
      if (table[k].int32 == member) return k;
    } else {
      if (table[k].int64 == member) return k;
    }
  }
  return N;
}

// Each column holds exactly the member its kind says and no other column
// holds it, no title comes twice, each title leaves a blank before the next
// one, and the last column has no blanks after its field.
template <typename Record, std::size_t N>
constexpr bool well_formed(const std::array<RecordColumn<Record>, N>& table) {
  for (std::size_t k = 0; k < N; ++k) {
    const RecordColumn<Record>& c = table[k];
    const int members = (c.real != nullptr) + (c.int32 != nullptr) + (c.int64 != nullptr);
    if (members != 1 || (c.kind == ColumnKind::Real) != (c.real != nullptr)) return false;
    if (c.field < 1 || c.width < c.field || c.digits < 1) return false;
    if (k + 1 < N && c.title.size() >= static_cast<std::size_t>(c.width)) return false;
    if (k + 1 == N && c.width != c.field) return false;
    for (std::size_t j = 0; j < k; ++j) {
      const RecordColumn<Record>& d = table[j];
      if (d.title == c.title) return false;
      if ((c.real && d.real == c.real) || (c.int32 && d.int32 == c.int32) ||
          (c.int64 && d.int64 == c.int64)) {
        return false;
      }
    }
  }
  return true;
}

static_assert(well_formed(FLUX_COLUMNS));
static_assert(well_formed(TRAJECTORY_COLUMNS));

}  // namespace colloidsim
