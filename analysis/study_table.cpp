#include "analysis/study_table.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>

namespace colloidsim {

namespace {

constexpr double Z95 = 1.959963984540054;
constexpr double UNDEFINED = std::numeric_limits<double>::quiet_NaN();

std::string shortest(double value) {
  if (!std::isfinite(value)) return "";
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// Three significant digits, trailing zeros kept, so every eta shows as many.
std::string digits(double value) {
  if (!std::isfinite(value)) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%#.3g", value);
  return text;
}

std::string with_interval(double value, double low, double high) {
  if (!std::isfinite(value)) return "-";
  return digits(value) + " [" + digits(low) + ", " + digits(high) + "]";
}

nlohmann::ordered_json json_number(double value) {
  return std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr);
}

std::string condition_number(const StudyCondition& c) {
  return c.directory.substr(0, c.directory.find('-'));
}

// A column of the table: its titles and values in the CSV (one or more
// fields) and its one cell for a person.
struct Column {
  std::vector<std::string> csv_titles;
  std::string text_title;
  std::function<std::vector<std::string>(const StudyTableRow&)> csv;
  std::function<std::string(const StudyTableRow&)> text;
};

Column efficiency_column(const std::string& name, const Efficiency RunSummary::*member) {
  return {{name, name + "_low", name + "_high"},
          name + " [95 %]",
          [member](const StudyTableRow& r) -> std::vector<std::string> {
            if (!r.summary) return {"", "", ""};
            const Efficiency& e = (*r.summary).*member;
            return {shortest(e.value), shortest(e.low), shortest(e.high)};
          },
          [member](const StudyTableRow& r) {
            if (!r.summary) return std::string("-");
            const Efficiency& e = (*r.summary).*member;
            return with_interval(e.value, e.low, e.high);
          }};
}

std::vector<Column> columns(const StudyTable& table) {
  std::vector<Column> c;
  c.push_back({{"condition"}, "condition",
               [](const StudyTableRow& r) -> std::vector<std::string> { return {condition_number(*r.condition)}; },
               [](const StudyTableRow& r) { return condition_number(*r.condition); }});
  if (table.has_reference) {
    c.push_back({{"reference"}, "twin",
                 [](const StudyTableRow& r) -> std::vector<std::string> { return {r.condition->reference ? "1" : "0"}; },
                 [](const StudyTableRow& r) { return std::string(r.condition->reference ? "ref" : ""); }});
  }
  for (std::size_t k = 0; k < table.varied.size(); ++k) {
    const auto value = [k](const StudyTableRow& r) { return r.condition->varied[k].value; };
    c.push_back({{table.varied[k]}, table.varied[k],
                 [value](const StudyTableRow& r) -> std::vector<std::string> { return {value(r)}; }, value});
  }
  c.push_back({{"finished", "NPART"}, "finished",
               [](const StudyTableRow& r) -> std::vector<std::string> {
                 if (!r.summary) return {"0", ""};
                 return {std::to_string(r.summary->finished), std::to_string(r.summary->NPART)};
               },
               [](const StudyTableRow& r) {
                 if (!r.summary) return std::string(r.problem.empty() ? "not started" : "unreadable");
                 return std::to_string(r.summary->finished) + "/" + std::to_string(r.summary->NPART);
               }});
  for (int fate = 1; fate <= 6; ++fate) {
    const auto count = [fate](const StudyTableRow& r) {
      return r.summary ? std::to_string(r.summary->fates[static_cast<std::size_t>(fate - 1)].count) : std::string();
    };
    c.push_back({{"fate" + std::to_string(fate)}, std::to_string(fate),
                 [count](const StudyTableRow& r) -> std::vector<std::string> { return {count(r)}; },
                 [count](const StudyTableRow& r) { const std::string s = count(r); return s.empty() ? std::string("-") : s; }});
  }
  c.push_back(efficiency_column("eta_attached", &RunSummary::attached));
  c.push_back(efficiency_column("eta_retained", &RunSummary::retained));
  // eta0 of the perfect-sink correlations, and how many warnings the
  // condition's summary gives (STUDY.json and summary list them).
  c.push_back({{"eta0_tufenkji_elimelech", "eta0_rajagopalan_tien"}, "eta0 TE",
               [](const StudyTableRow& r) -> std::vector<std::string> {
                 if (!r.summary) return {"", ""};
                 return {shortest(r.summary->eta0_te), shortest(r.summary->eta0_rt)};
               },
               [](const StudyTableRow& r) {
                 if (!r.summary || !std::isfinite(r.summary->eta0_te)) return std::string("-");
                 return digits(r.summary->eta0_te);
               }});
  c.push_back({{"warnings"}, "warnings",
               [](const StudyTableRow& r) -> std::vector<std::string> {
                 return {r.summary ? std::to_string(r.summary->warnings.size()) : std::string()};
               },
               [](const StudyTableRow& r) {
                 return r.summary ? std::to_string(r.summary->warnings.size()) : std::string("-");
               }});
  if (table.has_reference) {
    c.push_back({{"alpha", "alpha_low", "alpha_high"}, "alpha [95 %]",
                 [](const StudyTableRow& r) -> std::vector<std::string> {
                   if (!r.alpha) return {"", "", ""};
                   return {shortest(r.alpha->value), shortest(r.alpha->low), shortest(r.alpha->high)};
                 },
                 [](const StudyTableRow& r) {
                   if (!r.alpha) return std::string(r.condition->reference ? "" : "-");
                   return with_interval(r.alpha->value, r.alpha->low, r.alpha->high);
                 }});
  }
  return c;
}

}  // namespace

Ratio attachment_ratio(const RunSummary& condition, const RunSummary& reference) {
  const double n1 = static_cast<double>(condition.finished);
  const double n2 = static_cast<double>(reference.finished);
  const double x1 = static_cast<double>(condition.attached.fraction.count);
  const double x2 = static_cast<double>(reference.attached.fraction.count);
  if (n1 <= 0 || n2 <= 0 || x2 <= 0 || !std::isfinite(condition.attached.value) ||
      !std::isfinite(reference.attached.value)) {
    return {UNDEFINED, UNDEFINED, UNDEFINED};
  }
  // eta = fraction x (RLIM/AG)^2 (VSUP + v_s)/VSUP; the factors are exact, so
  // only the fractions carry the interval.
  const double factors = (condition.disc_ratio * condition.flow_factor) /
                         (reference.disc_ratio * reference.flow_factor);
  const auto ratio = [&](double x) { return (x / n1) / (x2 / n2) * factors; };
  const auto spread = [&](double x) { return Z95 * std::sqrt(1 / x - 1 / n1 + 1 / x2 - 1 / n2); };
  if (x1 == 0) return {0, 0, ratio(0.5) * std::exp(spread(0.5))};
  const double alpha = ratio(x1);
  const double s = spread(x1);
  return {alpha, alpha * std::exp(-s), alpha * std::exp(s)};
}

StudyTable make_study_table(const StudyFile& study, const std::vector<StudyCondition>& conditions,
                            std::vector<std::optional<RunSummary>> summaries,
                            const std::vector<std::string>& problems) {
  StudyTable table;
  for (const StudyVariable& v : study.vary) table.varied.push_back(v.name);
  table.has_reference = !study.reference.empty();
  for (std::size_t i = 0; i < conditions.size(); ++i) {
    StudyTableRow row;
    row.condition = &conditions[i];
    row.summary = std::move(summaries[i]);
    row.problem = problems[i];
    table.rows.push_back(std::move(row));
  }
  for (std::size_t i = 0; i + 1 < table.rows.size(); ++i) {
    StudyTableRow& row = table.rows[i];
    const StudyTableRow& twin = table.rows[i + 1];
    if (row.condition->reference || !twin.condition->reference) continue;
    if (row.summary && twin.summary) {
      row.alpha = attachment_ratio(*row.summary, *twin.summary);
    }
  }
  return table;
}

std::string study_table_csv(const StudyTable& table) {
  const std::vector<Column> cols = columns(table);
  std::string out;
  for (const Column& c : cols) {
    for (const std::string& t : c.csv_titles) out += (out.empty() ? "" : ",") + t;
  }
  out += "\n";
  for (const StudyTableRow& r : table.rows) {
    std::string line;
    bool first = true;
    for (const Column& c : cols) {
      for (const std::string& v : c.csv(r)) {
        line += (first ? "" : ",") + v;
        first = false;
      }
    }
    out += line + "\n";
  }
  return out;
}

std::string study_table_text(const StudyTable& table) {
  const std::vector<Column> cols = columns(table);
  std::vector<std::vector<std::string>> cells(table.rows.size() + 1);
  std::vector<std::size_t> width(cols.size());
  for (std::size_t k = 0; k < cols.size(); ++k) {
    cells[0].push_back(cols[k].text_title);
    for (std::size_t i = 0; i < table.rows.size(); ++i) cells[i + 1].push_back(cols[k].text(table.rows[i]));
    for (const auto& line : cells) width[k] = std::max(width[k], line[k].size());
  }
  std::string out;
  for (const auto& line : cells) {
    std::string text;
    for (std::size_t k = 0; k < cols.size(); ++k) {
      if (k) text += "  ";
      text += std::string(width[k] - line[k].size(), ' ') + line[k];
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    out += text + "\n";
  }
  out += "\nfinished: particles with a row of NPART; 1-6: particles per fate.\n"
         "eta = f (RLIM/AG)^2 (VSUP + v_s)/VSUP of the attached (fates 2, 4, 6) and the\n"
         "retained (2, 4, 5, 6) particles, with f's 95 % Wilson interval.\n"
         "eta0 TE: eta0 of Tufenkji and Elimelech (2004) for a perfect sink; warnings: how\n"
         "many reasons colloidsim summary gives why the condition's eta is not final\n"
         "(the texts are in STUDY.json; colloidsim summary runs/NN-... prints them).\n";
  if (table.has_reference) {
    out += "alpha = eta attached / eta attached of the reference twin, with the 95 %\n"
           "log-ratio interval of two binomial proportions (Katz); with no attached\n"
           "particle alpha = 0 and its upper bound is that of 0.5 attached; '-' when the\n"
           "twin has none.\n";
  }
  return out;
}

std::string study_table_json(const StudyTable& table) {
  using json = nlohmann::ordered_json;
  json doc;
  doc["varied"] = table.varied;
  doc["alpha_method"] = table.has_reference
                            ? json("eta attached over the reference twin's; 95 % log-ratio (Katz) "
                                   "interval of two binomial proportions; 0 attached: alpha 0, "
                                   "upper bound of 0.5 attached")
                            : json(nullptr);
  json rows = json::array();
  for (const StudyTableRow& r : table.rows) {
    json row;
    row["condition"] = condition_number(*r.condition);
    row["directory"] = "runs/" + r.condition->directory;
    row["reference"] = r.condition->reference;
    json values = json::object();
    for (const ParameterAssignment& a : r.condition->varied) values[a.name] = std::stod(a.value);
    row["values"] = values;
    if (r.summary) {
      const RunSummary& s = *r.summary;
      row["NPART"] = s.NPART;
      row["finished"] = s.finished;
      json fates = json::object();
      for (int f = 0; f < 6; ++f) fates[std::to_string(f + 1)] = s.fates[static_cast<std::size_t>(f)].count;
      row["fates"] = fates;
      for (const auto& [key, e] : {std::pair<const char*, const Efficiency*>{"eta_attached", &s.attached},
                                   {"eta_retained", &s.retained}}) {
        row[key] = {{"value", json_number(e->value)},
                    {"interval", {json_number(e->low), json_number(e->high)}}};
      }
      row["eta0"] = {{"tufenkji_elimelech", json_number(s.eta0_te)},
                     {"rajagopalan_tien", json_number(s.eta0_rt)}};
      row["warnings"] = s.warnings;
    } else {
      row["NPART"] = nullptr;
      row["finished"] = 0;
      if (!r.problem.empty()) row["problem"] = r.problem;
    }
    if (r.alpha) {
      row["alpha"] = {{"value", json_number(r.alpha->value)},
                      {"interval", {json_number(r.alpha->low), json_number(r.alpha->high)}}};
    } else if (table.has_reference && !r.condition->reference) {
      row["alpha"] = nullptr;
    }
    rows.push_back(row);
  }
  doc["conditions"] = rows;
  return doc.dump(2) + "\n";
}

}  // namespace colloidsim
