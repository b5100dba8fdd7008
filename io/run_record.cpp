#include "io/run_record.h"

#include <openssl/evp.h>

#include <ctime>
#include <fstream>
#include <memory>

#include "common/input_error.h"
#include "common/regular_file.h"
#include "io/output_file.h"
#include "io/run_lock.h"

namespace colloidsim {

namespace {

// Records are a few KB; a larger file at a record's name is not one.
constexpr std::size_t MAX_RECORD_BYTES = std::size_t{1} << 20;

std::string hex(const unsigned char* bytes, unsigned size) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  for (unsigned i = 0; i < size; ++i) {
    text += digits[bytes[i] >> 4];
    text += digits[bytes[i] & 15];
  }
  return text;
}

struct Digest {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> ctx{EVP_MD_CTX_new(), EVP_MD_CTX_free};
  Digest() {
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_sha256(), nullptr) != 1) throw std::bad_alloc();
  }
  void add(const char* data, std::size_t size) { EVP_DigestUpdate(ctx.get(), data, size); }
  std::string hex_digest() {
    unsigned char bytes[EVP_MAX_MD_SIZE];
    unsigned size = 0;
    EVP_DigestFinal_ex(ctx.get(), bytes, &size);
    return hex(bytes, size);
  }
};

}  // namespace

std::string run_record_name(bool numbered, std::int32_t FIRST, std::int32_t LAST) {
  return numbered ? "RUN." + particles_tag(FIRST, LAST) + ".json" : RUN_RECORD_NAME;
}

bool is_particles_record_name(const std::string& name) {
  if (name.size() < 10 || name.rfind("RUN.", 0) != 0 || name.substr(name.size() - 5) != ".json") {
    return false;
  }
  const std::string tag = name.substr(4, name.size() - 9);
  if (tag.front() == '-' || tag.back() == '-') return false;
  for (const char c : tag) {
    if ((c < '0' || c > '9') && c != '-') return false;
  }
  return true;
}

nlohmann::ordered_json model_options(const RunContext& run) {
  nlohmann::ordered_json options = nlohmann::ordered_json::object();
  options["brownian"] = brownian_model_name(run.brownian);
#ifdef COLLOIDSIM_SLEEF
  options["vector_math"] = "sleef";  // near-wall functions and lift through SLEEF
#else
  options["vector_math"] = "libm";
#endif
  return options;
}

std::string sha256_of_text(const std::string& text) {
  Digest d;
  d.add(text.data(), text.size());
  return d.hex_digest();
}

std::string sha256_of_file(const std::filesystem::path& path, const std::string& shown) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw InputError(shown, "cannot read the file for its sha256");
  Digest d;
  char buffer[1 << 16];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    d.add(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (in.bad()) throw InputError(shown, "cannot read the file for its sha256");
  return d.hex_digest();
}

std::string utc_time_now() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

void write_run_record(const std::filesystem::path& dir, const std::string& name,
                      const nlohmann::ordered_json& record) {
  CompleteFile file(dir, name);
  file.write(record.dump(2) + "\n");
  file.commit();
}

std::optional<nlohmann::ordered_json> read_run_record(const std::filesystem::path& dir,
                                              const std::string& name) {
  const std::filesystem::path path = dir / name;
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return std::nullopt;
  const std::string text = read_regular_file(path, name, "a run record", MAX_RECORD_BYTES);
  nlohmann::ordered_json record = nlohmann::ordered_json::parse(text, nullptr, false);
  if (text.size() > MAX_RECORD_BYTES || record.is_discarded() || !record.is_object()) {
    throw InputError(name, 0, "", "a file that is not a run record (not one JSON object)",
                     "the record a run of this program wrote; remove the file to go on "
                     "without it");
  }
  return record;
}

std::string seed_text(const nlohmann::ordered_json& record) {
  const auto it = record.find("seed");
  if (it == record.end() || !it->is_number_unsigned()) return "none";
  return std::to_string(it->get<std::uint64_t>());
}

std::string options_text(const nlohmann::ordered_json& record) {
  const auto it = record.find("options");
  if (it == record.end() || !it->is_object()) return "none recorded";
  std::string text;
  for (const auto& [name, value] : it->items()) {
    text += (text.empty() ? "" : ", ") + name + "=" +
            (value.is_string() ? value.get<std::string>() : value.dump());
  }
  return text.empty() ? "none" : text;
}

std::vector<std::string> record_differences(const nlohmann::ordered_json& a, const nlohmann::ordered_json& b) {
  std::vector<std::string> differences;
  const auto value = [](const nlohmann::ordered_json& r, const char* key) {
    const auto it = r.find(key);
    return it == r.end() ? std::string("none") : it->is_string() ? it->get<std::string>() : it->dump();
  };
  if (value(a, "version") != value(b, "version")) {
    differences.push_back("version " + value(a, "version") + " and " + value(b, "version"));
  }
  if (seed_text(a) != seed_text(b)) {
    differences.push_back("seed " + seed_text(a) + " and " + seed_text(b));
  }
  if (options_text(a) != options_text(b)) {
    differences.push_back("options " + options_text(a) + " and " + options_text(b));
  }
  return differences;
}

}  // namespace colloidsim
