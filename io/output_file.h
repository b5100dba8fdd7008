// Files the run writes. Every failure to create, write or close one ends the
// run with the file's name and the system's reason (InputError).
//
// No file is ever written through a link: every file the program writes is
// created new (O_CREAT | O_EXCL | O_NOFOLLOW) after the name is cleared, and a
// final name is reached by rename(), which replaces a symbolic or hard link
// standing there instead of writing into the file it points to.
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
  // REPLACE: whatever stands at the name (a stale temporary, a link, an
  // earlier file) is removed and a new file created. APPEND: the file at the
  // name is continued; it must be a regular file with no other link (an
  // InputError otherwise, see is_private_file), and is created when absent.
  enum class Mode { REPLACE, APPEND };
  OutputFile(const std::filesystem::path& dir, const std::string& name, Mode mode);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(std::string_view text);
  // Cuts the file to size bytes (a partial last row of a stopped run).
  void truncate(std::int64_t size);
  // Gives the open file another name in its directory, replacing what stands
  // there; writing goes on into the same file.
  void rename(const std::string& name);
  void close();
  const std::string& name() const { return name_; }

 private:
  std::filesystem::path dir_;
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
  // could not be made in dir: its temporary name cannot be cleared
  // (check_output_name), or a directory stands at its name. Creates nothing.
  static void check_names(const std::filesystem::path& dir, const std::string& name);

 private:
  std::filesystem::path dir_;
  std::string name_;
  OutputFile file_;
  bool committed_ = false;
};

// Checks made before a run creates its first file, so that a run that could
// not write all of its files stops before it changes any. Each throws
// InputError as the failed creation would, and creates nothing.
//   check_output_directory: dir takes new files (it is not read-only).
//   check_output_name: the name can be replaced by a new file: it is absent,
//   a link (replaced, never followed), or a file that may be written; not a
//   directory, not a read-only file, not another user's file in a sticky
//   directory (such as /tmp).
void check_output_directory(const std::filesystem::path& dir);
void check_output_name(const std::filesystem::path& dir, const std::string& name);

// Whether the file at path is a regular file with no other hard link and no
// symbolic link at its name: one that may be continued in place.
bool is_private_file(const std::filesystem::path& path);

}  // namespace colloidsim
