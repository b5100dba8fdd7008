#include "driver/run_guard.h"

#include <algorithm>

#include "common/input_error.h"
#include "io/output_file.h"
#include "io/parameter_file.h"
#include "io/restart_file.h"
#include "io/run_record.h"

namespace colloidsim {

namespace {

namespace fs = std::filesystem;

nlohmann::ordered_json command_line(const std::vector<std::string>& args) {
  nlohmann::ordered_json words = nlohmann::ordered_json::array({"colloidsim"});
  for (const std::string& arg : args) words.push_back(arg);
  return words;
}

nlohmann::ordered_json seed_value(std::optional<std::uint64_t> seed) {
  return seed ? nlohmann::ordered_json(*seed) : nlohmann::ordered_json(nullptr);
}

// The records of one-particle runs and blocks in dir, by name.
std::vector<std::pair<std::string, nlohmann::ordered_json>> particles_records(const fs::path& dir) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(dir, error)) {
    const std::string name = entry.path().filename().string();
    if (is_particles_record_name(name)) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  std::vector<std::pair<std::string, nlohmann::ordered_json>> records;
  for (const std::string& name : names) {
    if (auto record = read_run_record(dir, name)) records.push_back({name, *record});
  }
  return records;
}

// Every record that disagrees with the first, as "RUN.4-6.json (seed 11 and
// 12)".
std::vector<std::string> disagreements(
    const std::vector<std::pair<std::string, nlohmann::ordered_json>>& records) {
  std::vector<std::string> found;
  for (std::size_t i = 1; i < records.size(); ++i) {
    const std::vector<std::string> d = record_differences(records[0].second, records[i].second);
    if (d.empty()) continue;
    std::string text = records[i].first + " against " + records[0].first + " (";
    for (std::size_t k = 0; k < d.size(); ++k) text += (k ? "; " : "") + d[k];
    found.push_back(text + ")");
  }
  return found;
}

}  // namespace

RunGuard::RunGuard(const fs::path& workdir, const std::vector<std::string>& args,
                   const RunParameters& p, std::int32_t FIRST, std::int32_t LAST, bool resume)
    : dir_(workdir),
      args_(args),
      numbered_(p.CLUSTER == 1),
      resume_(resume),
      name_(run_record_name(numbered_, FIRST, LAST)),
      start_(utc_time_now()) {
  const std::string shown = workdir.string();
  check_output_directory(workdir);
  CompleteFile::check_names(workdir, name_);
  lock_.emplace(numbered_ ? RunLock::particles(workdir, shown, FIRST, LAST)
                          : RunLock::directory(workdir, shown));
  if (resume_) earlier_ = read_run_record(dir_, name_);
}

RunGuard::~RunGuard() {
  if (!begun_ || ended_) return;
  try {
    rewrite("stopped");
  } catch (...) {
    // The run's own error is the one reported.
  }
}

std::optional<std::uint64_t> RunGuard::seed(std::optional<std::uint64_t> given,
                                            std::ostream& err) const {
  if (!earlier_) return given;
  const auto it = earlier_->find("seed");
  std::optional<std::uint64_t> recorded;
  if (it != earlier_->end() && it->is_number_unsigned()) recorded = it->get<std::uint64_t>();
  if (given && given != recorded) {
    throw InputError("command line", 0, "--seed", std::to_string(*given),
                     (recorded ? "the seed of the stopped run, " + std::to_string(*recorded)
                               : std::string("no --seed: the stopped run had none")) +
                         " (" + name_ + "); other draws would make files that no "
                         "uninterrupted run gives");
  }
  if (!given && recorded) {
    err << "colloidsim: --resume takes --seed " << *recorded << " from " << name_ << "\n";
  }
  return recorded;
}

BrownianModel RunGuard::brownian(const std::string& given, std::ostream& err) const {
  std::string model = given;
  if (model.empty() && earlier_) {
    const auto options = earlier_->find("options");
    if (options != earlier_->end() && options->is_object()) {
      const auto it = options->find("brownian");
      if (it != options->end() && it->is_string()) {
        model = it->get<std::string>();
        err << "colloidsim: --resume takes --brownian " << model << " from " << name_ << "\n";
      }
    }
  }
  return model == "hindered" ? BrownianModel::hindered : BrownianModel::bulk;
}

void RunGuard::check_options(const RunContext& run) const {
  if (!earlier_) return;
  const nlohmann::ordered_json now = model_options(run);
  const auto it = earlier_->find("options");
  if (it == earlier_->end() || !it->is_object()) return;
  for (const auto& [name, value] : now.items()) {
    const auto recorded = it->find(name);
    if (recorded != it->end() && *recorded != value) {
      throw InputError(name_, 0, "option " + name, recorded->dump(),
                       "the option this run uses, " + value.dump() +
                           ": --resume continues a run only with its own model options");
    }
  }
}

void RunGuard::begin(const RunContext& run, int threads, std::int32_t first, std::int32_t last) {
  record_ = nlohmann::ordered_json::object();
  record_["program"] = "colloidsim";
  record_["version"] = COLLOIDSIM_VERSION;
  record_["command_line"] = command_line(args_);
  record_["mode"] = numbered_ ? (first == last ? "one particle" : "block")
                              : (resume_ ? "resume" : "all particles");
  record_["NPART"] = run.p.NPART;
  record_["first"] = first;
  record_["last"] = last;
  record_["seed"] = seed_value(run.seed);
  record_["threads"] = threads;
  record_["options"] = model_options(run);
  nlohmann::ordered_json inputs = nlohmann::ordered_json::object();
  inputs[PARAMETER_FILE] = {{"sha256", sha256_of_file(dir_ / PARAMETER_FILE, PARAMETER_FILE)}};
  if (run.p.ATTMODE == -1) {
    inputs[RESTART_FILE] = {{"sha256", sha256_of_file(dir_ / RESTART_FILE, RESTART_FILE)}};
  }
  record_["inputs"] = inputs;
  record_["start"] = start_;
  if (earlier_) record_["continues"] = *earlier_;
  begun_ = true;
  rewrite("running");
}

void RunGuard::rewrite(const char* status) {
  record_["status"] = status;
  record_["end"] = std::string(status) == "running" ? nlohmann::ordered_json(nullptr)
                                                    : nlohmann::ordered_json(utc_time_now());
  record_["particles_written"] = written_.load();
  write_run_record(dir_, name_, record_);
}

void RunGuard::end() {
  rewrite("complete");
  ended_ = true;
}

nlohmann::ordered_json merge_record(const fs::path& dir, const std::string& shown,
                            const std::vector<std::string>& args) {
  const auto records = particles_records(dir);
  const std::vector<std::string> found = disagreements(records);
  if (!found.empty()) {
    std::string list;
    for (const std::string& d : found) list += (list.empty() ? "" : ", ") + d;
    throw InputError(shown, 0, "",
                     "run records that disagree: " + list,
                     "blocks of one run, made with one version, seed and model options; "
                     "nothing written");
  }
  nlohmann::ordered_json record = nlohmann::ordered_json::object();
  record["program"] = "colloidsim";
  record["version"] = COLLOIDSIM_VERSION;
  record["command_line"] = command_line(args);
  record["mode"] = "merge";
  record["seed"] = records.empty() ? nlohmann::ordered_json(nullptr) : records[0].second.value("seed", nlohmann::ordered_json(nullptr));
  record["options"] = records.empty() ? nlohmann::ordered_json(nullptr) : records[0].second.value("options", nlohmann::ordered_json(nullptr));
  nlohmann::ordered_json blocks = nlohmann::ordered_json::array();
  for (const auto& [name, r] : records) blocks.push_back(name);
  record["records_merged"] = blocks;
  record["start"] = utc_time_now();
  return record;
}

nlohmann::ordered_json record_summary(const fs::path& dir) {
  nlohmann::ordered_json summary = nlohmann::ordered_json::object();
  std::vector<std::pair<std::string, nlohmann::ordered_json>> records;
  if (auto record = read_run_record(dir, RUN_RECORD_NAME)) {
    records.push_back({RUN_RECORD_NAME, *record});
  } else {
    records = particles_records(dir);
  }
  if (records.empty()) return nullptr;
  const nlohmann::ordered_json& first = records[0].second;
  nlohmann::ordered_json files = nlohmann::ordered_json::array();
  for (const auto& [name, r] : records) files.push_back(name);
  summary["files"] = files;
  summary["version"] = first.value("version", nlohmann::ordered_json(nullptr));
  summary["seed"] = first.value("seed", nlohmann::ordered_json(nullptr));
  summary["options"] = first.value("options", nlohmann::ordered_json(nullptr));
  nlohmann::ordered_json disagree = nlohmann::ordered_json::array();
  for (const std::string& d : disagreements(records)) disagree.push_back(d);
  summary["disagreements"] = disagree;
  return summary;
}

std::string record_line(const fs::path& dir) {
  const nlohmann::ordered_json s = record_summary(dir);
  if (s.is_null()) return "";
  const std::size_t count = s["files"].size();
  std::string line = "run record" + std::string(count == 1 ? "" : "s of " + std::to_string(count) +
                                                                     " one-particle runs and blocks") +
                     ": seed " + seed_text(s) + ", options " + options_text(s) + ", colloidsim " +
                     (s["version"].is_string() ? s["version"].get<std::string>() : "?") + "\n";
  for (const auto& d : s["disagreements"]) {
    line += "  records disagree: " + d.get<std::string>() + "\n";
  }
  return line;
}

}  // namespace colloidsim
