// The table of a study: one row per condition (and per reference twin) with
// its varied values, particles finished, fate counts, the efficiencies with
// their 95 % intervals and the attachment efficiency alpha against the twin.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "analysis/study_file.h"
#include "analysis/run_summary.h"

namespace colloidsim {

// alpha = eta / eta of the reference twin (attached particles), with the
// 95 % log-ratio interval of two binomial proportions (Katz et al. 1978):
//   alpha exp(-+ z sqrt(1/x1 - 1/n1 + 1/x2 - 1/n2)),  z = 1.959963984540054,
// x1 of n1 the condition's attached particles, x2 of n2 the twin's. The
// factors that turn a fraction into eta (disc ratio, flow factor) are exact
// and carried as they are. When x1 = 0 (and x2 > 0), alpha = 0 and the
// interval is [0, upper] with the upper bound for x1 = 0.5 (the usual
// continuity correction). Undefined (NaN) when x2 = 0, a run has no
// finished particle, or either eta is undefined.
struct Ratio {
  double value, low, high;
};
Ratio attachment_ratio(const RunSummary& condition, const RunSummary& reference);

struct StudyTableRow {
  const StudyCondition* condition = nullptr;
  // The condition's run summary; none before its first particle is written
  // (or when its files cannot be read: problem says why).
  std::optional<RunSummary> summary;
  std::string problem;
  std::optional<Ratio> alpha;  // conditions with a twin that has a summary
};

struct StudyTable {
  std::vector<std::string> varied;  // the varied parameters' names
  bool has_reference = false;
  std::vector<StudyTableRow> rows;
};

// summaries[i] belongs to conditions[i] (twins follow their condition).
StudyTable make_study_table(const StudyFile& study, const std::vector<StudyCondition>& conditions,
                            std::vector<std::optional<RunSummary>> summaries,
                            const std::vector<std::string>& problems);

// STUDY.csv: a header line and one line per row; numbers in the shortest
// text that reads back to the same double, an empty field where a value is
// undefined.
std::string study_table_csv(const StudyTable& table);
// The same columns for a person: four significant digits, intervals in
// brackets, "-" where a value is undefined, and a legend of the methods.
std::string study_table_text(const StudyTable& table);
// One JSON document: the study's varied names and one object per row.
std::string study_table_json(const StudyTable& table);

}  // namespace colloidsim
