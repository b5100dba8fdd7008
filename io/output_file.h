// Files the run writes. Every failure to create, write or close one ends the
// run with the file's name and the system's reason (InputError).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace colloidsim {

// A text file written straight to the system, without a buffer of its own:
// what write() has accepted is in the file even if the process is killed the
// next moment, and a text handed over in one write() is a single system write.
class OutputFile {
 public:
  enum class Mode { REPLACE, APPEND };
  OutputFile(const std::filesystem::path& dir, const std::string& name, Mode mode);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(std::string_view text);
  void close();
  const std::string& name() const { return name_; }

 private:
  std::string name_;
  int fd_ = -1;
};

// A file that is either complete or absent: it is written as "<name>.tmp" in
// the same directory and renamed to its name by commit(). Destroyed without a
// commit, it removes the temporary file.
class CompleteFile {
 public:
  CompleteFile(const std::filesystem::path& dir, const std::string& name);
  ~CompleteFile();
  CompleteFile(const CompleteFile&) = delete;
  CompleteFile& operator=(const CompleteFile&) = delete;

  void write(std::string_view text) { file_.write(text); }
  void commit();

  static std::string temporary_name(const std::string& name) { return name + ".tmp"; }

 private:
  std::filesystem::path dir_;
  std::string name_;
  OutputFile file_;
  bool committed_ = false;
};

}  // namespace colloidsim
