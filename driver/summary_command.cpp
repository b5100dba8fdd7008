#include "driver/summary_command.h"

#include <filesystem>

#include "analysis/run_files.h"
#include "analysis/run_summary.h"
#include "common/input_error.h"
#include "driver/run_guard.h"
#include "io/run_record.h"

namespace colloidsim {

namespace {

// Problems listed in the message; the rest are counted.
constexpr std::size_t LISTED_PROBLEMS = 20;

// The seed and options of the run's record as one more key of the JSON
// object ("run_record", null for a run without a record).
void append_record_json(std::string& text, const std::filesystem::path& dir) {
  const std::size_t end = text.rfind("\n}");
  if (end == std::string::npos) return;
  text.insert(end, ",\n  \"run_record\": " + record_summary(dir).dump());
}

}  // namespace

std::string summary_usage_text() {
  return "Usage: colloidsim summary [DIR] [--json]\n"
         "\n"
         "Reports on the finished run in DIR (default: the working directory): its\n"
         "all-particles flux files FLUXEX.OUT, FLUXATT.OUT, FLUXREM.OUT (also those\n"
         "of a merged run), or else the numbered VORNEKFLUX*.n.OUT of one-particle\n"
         "runs. Changes no file. It prints:\n"
         "  - particles per fate (1-6) and per family (EX, ATT, REM) with the\n"
         "    fraction f of the finished particles and its 95 % Wilson interval\n"
         "      (f + z^2/2n -+ z sqrt(f(1-f)/n + z^2/4n^2)) / (1 + z^2/n), z = 1.96;\n"
         "  - the single-collector efficiency of the attached (fates 2, 4, 6) and of\n"
         "    the retained particles (fates 2, 4, 5, 6)\n"
         "      eta = f (RLIM/AG)^2 (VSUP + v_s)/VSUP,\n"
         "    the injection disc over the collector's projected area, times the\n"
         "    particle flux through the disc over the fluid's; v_s = FG/(6 pi VISC AP)\n"
         "    with FG = GRAVFACT (4/3) pi AP^3 (RHOP - RHOW) g is the Stokes settling\n"
         "    velocity along the flow (-z): +FG/M3 for CBGRAV 1, -FG/M3 for 2, 0 for\n"
         "    3 and 4. Its 95 % interval is f's Wilson interval times the same\n"
         "    factors; undefined unless VSUP > 0 and VSUP + v_s > 0;\n"
         "  - per family the 10th, 50th, 90th percentile of the residence time\n"
         "    PTIMEOUT - PTIMEIN, the shares of TBULK, TNEAR, TFRIC, the mean NSVISIT;\n"
         "  - attached particles per 10-degree bin of the polar angle of their final\n"
         "    position from the forward stagnation point (+z);\n"
         "  - the particles of 1..NPART without a row (a partial run).\n";
}

void define_summary_options(OptionSet& options, SummaryArguments& a) {
  options.positional("DIR", a.positional)
      .flag("--json", a.json,
            "print the same as one JSON object (keys in README.md,\n"
            "\"Reading the results\")")
      .footer("\n"
              "Exit status: 0 after the summary; 1 when DIR holds no run files, files of\n"
              "different runs, duplicate or broken rows (each named by file and line).\n");
}

int run_summary_command(const SummaryArguments& a, const CommandContext& context) {
  std::ostream& out = context.out;
  std::ostream& err = context.err;
  try {
    const std::string shown = directory_argument(a.positional, "summary");
    const RunFiles run = read_run_files(context.workdir / shown);
    if (!run.problems.empty()) {
      std::string message = "colloidsim: " + shown + ": " + std::to_string(run.problems.size()) +
                            (run.problems.size() == 1 ? " problem" : " problems") +
                            " in the run files; expected the files of one run, each row whole:\n";
      for (std::size_t i = 0; i < run.problems.size() && i < LISTED_PROBLEMS; ++i) {
        message += "  " + describe(run.problems[i]) + "\n";
      }
      if (run.problems.size() > LISTED_PROBLEMS) {
        message += "  ... and " + std::to_string(run.problems.size() - LISTED_PROBLEMS) + " more\n";
      }
      err << message;
      return 1;
    }
    std::string text;
    const std::filesystem::path dir = context.workdir / shown;
    RunSummary summary = summarize(run, absolute_directory(dir));
    if (const auto record = read_run_record(dir, RUN_RECORD_NAME)) {
      summary.merged = record->value("mode", std::string()) == "merge";
    }
    if (a.json) {
      append_summary_json(text, summary);
      append_record_json(text, context.workdir / shown);
    } else {
      append_summary_text(text, summary);
      text += record_line(context.workdir / shown);
    }
    out << text;
    out.flush();
    return 0;
  } catch (const InputError& e) {
    err << "colloidsim: " << e.what() << "\n";
    return 1;
  }
}

}  // namespace colloidsim
