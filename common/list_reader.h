// Free-format (list-directed) reading of the text inputs: "INPUT.IN",
// "FLUXATT.IN" and the command-line arguments of the one-particle mode.
//
// A read fills its items in order from the values that follow, starting on the
// current line. Values are separated by blanks, a comma, or line ends; two
// commas in a row give a null value that leaves its item unchanged; r*c stands
// for r copies of c and r* for r nulls; a slash ends the read and leaves the
// remaining items unchanged. A read that finds too few values on its line goes
// on to the following lines (blank lines are skipped); after the last item the
// rest of that line is skipped. A read without items consumes one line.
#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace colloidsim {

struct ListItem {
  enum class Kind { Integer, Real, Text };

  static ListItem integer(std::string_view name, std::int32_t& target) {
    return {name, Kind::Integer, &target};
  }
  static ListItem real(std::string_view name, double& target) { return {name, Kind::Real, &target}; }
  // A text item keeps at most max_length characters (0: no limit).
  static ListItem text(std::string_view name, std::string& target, std::size_t max_length = 0) {
    return {name, Kind::Text, &target, max_length};
  }

  std::string_view name;
  Kind kind;
  void* target;
  std::size_t max_length = 0;
};

// Where a parameter's value came from, for messages about its range.
struct ValueOrigin {
  int line = 0;          // 1-based line number
  std::string text;      // the value as written; empty when it was left unchanged
  // Where the value stands on its line, for rewriting it in place: the byte
  // offset and length of its whole item ("3*0.0" for a repeat; a null's
  // comma, length 0), the repeat count r of "r*c" (1 for a plain value) and
  // which of the r copies this value is.
  std::size_t column = 0;
  std::size_t length = 0;
  std::int32_t repeat = 1;
  std::int32_t copy = 0;
  // A slash on `line` ended the record before this value, which kept what
  // it was (text is empty).
  bool after_slash = false;
};

class ListReader {
 public:
  // Reads a text file of at most max_bytes. A longer file (or an endless one
  // such as /dev/zero) is refused; with keep_prefix it is read up to its last
  // whole line within max_bytes, and a read that needs more fails with a
  // message that names the limit. Throws InputError, saying what the file was
  // expected to be (purpose), when the file cannot be opened or read, is a
  // directory, or is refused by from_text.
  static ListReader from_file(const std::filesystem::path& path, const std::string& display_name,
                              const std::string& purpose, std::size_t max_bytes,
                              bool keep_prefix = false);
  // The text of a file, refused (InputError) when it is empty, holds a NUL
  // byte (a binary or UTF-16 file) or ends a line with CR alone (old Mac
  // text), which would otherwise be read as one long line.
  static ListReader from_text(const std::string& display_name, std::string contents,
                              const std::string& purpose);
  // Text read as it is (a command-line argument).
  ListReader(std::string display_name, std::string contents);

  // One free-format read. Throws InputError for a value that does not fit its
  // item's kind and for an end of file before every item is satisfied.
  void read(std::initializer_list<ListItem> items);
  void read(std::span<const ListItem> items);

  // The same read confined to the current line: a line end before every item
  // is satisfied is an error ("the end of the line") naming the first item
  // left without a value.
  void read_within_line(std::initializer_list<ListItem> items);
  void read_within_line(std::span<const ListItem> items);

  // The read of one group of a parameter file, named group ("group 2"): its
  // values belong on one line. A read that goes on to later lines and fails
  // there says so: the group, the values found and their line, what stopped
  // it and the names expected. Values left on the group's last line after
  // its last item are ignored, as by read(), with a warning (warnings()).
  void read_group(std::string_view group, std::span<const ListItem> items);
  void read_group(std::string_view group, std::initializer_list<ListItem> items) {
    read_group(group, std::span<const ListItem>(items.begin(), items.size()));
  }
  const std::vector<std::string>& warnings() const { return warnings_; }
  // What stood on the line after the last value of the latest read (without
  // the blanks and the separator), which the read skipped; empty after a
  // slash.
  std::string_view left_on_line() const { return left_on_line_; }

  // A formatted read without items whose format holds `advances` record
  // advances: consumes the current line and `advances` more.
  void skip_lines(int count, std::string_view context);

  int line_count() const { return static_cast<int>(lines_.size()); }
  // Index (0-based) of the line where the next read starts.
  int next_line() const { return line_; }
  void seek_line(int line) { line_ = line; }
  // Whether a line holds anything but blanks.
  bool line_is_blank(int line) const;

  const std::string& display_name() const { return name_; }
  // The line and text of the most recent value read into the named item.
  const std::map<std::string, ValueOrigin, std::less<>>& origins() const { return origins_; }
  // Readers of many records need no origins.
  void keep_origins(bool keep) { keep_origins_ = keep; }

 private:
  struct Token {
    enum class Type { Value, Null, Slash, End } type;
    std::string_view text;
    int line;
    std::size_t column = 0;  // offset of the item on its line
  };
  Token next_token();
  void assign(const ListItem& item, const Token& token, const ValueOrigin& where);
  // What a read found at the end of the text.
  std::string end_text() const;

  std::string name_;
  std::string contents_;
  std::vector<std::string_view> lines_;
  int line_ = 0;             // current line (0-based)
  std::size_t column_ = 0;   // position within the current line
  bool after_value_ = false; // a value was read and its separator not yet seen
  std::string_view left_on_line_;
  bool keep_origins_ = true;
  bool within_line_ = false;  // a line end ends the read
  std::size_t cut_at_ = 0;   // the text is the first cut_at_ bytes of a longer file (0: whole)
  std::map<std::string, ValueOrigin, std::less<>> origins_;
  std::string_view group_;  // the group of a read_group, empty otherwise
  std::vector<std::string> warnings_;
};

// Parsers shared with the command line; they return false for text that is
// not a valid item of their kind.
bool parse_integer(std::string_view text, std::int32_t& value);
bool parse_real(std::string_view text, double& value);

}  // namespace colloidsim
