// The readers of colloidsim summary and merge on any text: the text holds
// up to three flux files (EX, ATT, REM) separated by lines "=====", read as
// the all-particles files or, when byte 0 is odd, as the numbered files of
// particle 1 + byte 0 / 2 % 4; the files are joined into a run and, when
// they hold no problem, summarised as text and JSON.
#include <cstdint>
#include <string>
#include <vector>

#include "common/input_error.h"
#include "fuzz/fuzz_check.h"
#include "analysis/run_files.h"
#include "analysis/run_summary.h"

using namespace colloidsim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const bool numbered = data[0] & 1;
  const std::int32_t particle = 1 + data[0] / 2 % 4;
  RunFiles run;
  run.layout = numbered ? RunLayout::Numbered : RunLayout::AllParticles;
  std::vector<std::int32_t> file_particle;
  const std::string separator = "\n=====\n";
  std::size_t start = 0;
  for (int f = 0; f < 3 && start <= text.size(); ++f) {
    std::size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    const std::string name = numbered ? NUMBERED_FLUX_PREFIXES[f] + std::to_string(particle) + ".OUT"
                                      : FLUX_FILE_NAMES[f];
    run.files.push_back(parse_flux_file(name, text.substr(start, end - start + (end < text.size())),
                                        static_cast<FluxFamily>(f), run.problems));
    file_particle.push_back(numbered ? particle : 0);
    start = end + separator.size();
  }
  join_run_files(run, file_particle);
  for (const RunProblem& problem : run.problems) fuzz::check_message(describe(problem));
  if (!run.problems.empty()) return 0;
  try {
    const RunSummary summary = summarize(run, "fuzz");
    std::string out;
    append_summary_text(out, summary);
    append_summary_json(out, summary);
  } catch (const InputError& e) {
    fuzz::check_message(e.what());
  }
  return 0;
}
