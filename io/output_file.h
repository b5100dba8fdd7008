// Files the run writes. Every failure to create, write or close one ends the
// run with the file's name and the system's reason (InputError).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace colloidsim {

// A text file written straight to the system, without a buffer of its own:
// what write() has accepted is in the file even if the process is killed the
// next moment, and a text handed over in one write() is a single system write.
// A write that fails (a full disk) is undone before the error is thrown: the
// file is cut back to its size before that write, so that it never ends in
// part of a text (a flux row) and a resumed run can continue it.
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
  std::int64_t size_ = 0;  // bytes in the file after the last whole write
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

  // Throws InputError, naming the file, when a complete file of this name
  // could not be made in dir: its temporary cannot be written
  // (check_output_name), or a directory stands at its name (rename() would
  // fail only when the file is complete). Creates nothing.
  static void check_names(const std::filesystem::path& dir, const std::string& name);

 private:
  std::filesystem::path dir_;
  std::string name_;
  OutputFile file_;
  bool committed_ = false;
};

// Checks made before a run creates its first file, so that a run that could
// not write all of its files stops before it changes any. Each throws
// InputError as the failed open would, and creates nothing.
//   check_output_directory: dir takes new files (it is not read-only).
//   check_output_name: a file of this name in dir can be opened for writing:
//   it is absent, or a file that may be written (not a directory).
void check_output_directory(const std::filesystem::path& dir);
void check_output_name(const std::filesystem::path& dir, const std::string& name);

}  // namespace colloidsim
