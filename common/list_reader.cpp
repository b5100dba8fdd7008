#include "common/list_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/input_error.h"
#include "common/regular_file.h"

namespace colloidsim {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }


const char* expected_for(ListItem::Kind kind) {
  switch (kind) {
    case ListItem::Kind::Integer: return "an integer";
    case ListItem::Kind::Real: return "a real number";
    case ListItem::Kind::Text: return "a value";
  }
  return "a value";
}

}  // namespace

bool parse_integer(std::string_view text, std::int32_t& value) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  std::int64_t magnitude = 0;
  for (; i < text.size(); ++i) {
    if (!is_digit(text[i])) return false;
    magnitude = magnitude * 10 + (text[i] - '0');
    if (magnitude > 2147483648LL) return false;
  }
  const std::int64_t signed_value = negative ? -magnitude : magnitude;
  if (signed_value > 2147483647LL) return false;
  value = static_cast<std::int32_t>(signed_value);
  return true;
}

bool parse_real(std::string_view text, double& value) {
  // [sign] (digits [. [digits]] | . digits) [(E|e|D|d) [sign] digits | sign digits]
  std::string normal;
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) normal += text[i++];
  std::size_t mantissa_digits = 0;
  while (i < text.size() && is_digit(text[i])) normal += text[i++], ++mantissa_digits;
  if (i < text.size() && text[i] == '.') {
    normal += text[i++];
    while (i < text.size() && is_digit(text[i])) normal += text[i++], ++mantissa_digits;
  }
  if (mantissa_digits == 0) return false;
  if (i < text.size()) {
    const char c = text[i];
    if (c == 'E' || c == 'e' || c == 'D' || c == 'd') {
      ++i;
    } else if (c != '+' && c != '-') {
      return false;
    }
    normal += 'e';
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) normal += text[i++];
    std::size_t exponent_digits = 0;
    while (i < text.size() && is_digit(text[i])) normal += text[i++], ++exponent_digits;
    if (exponent_digits == 0 || i != text.size()) return false;
  }
  errno = 0;
  const double parsed = std::strtod(normal.c_str(), nullptr);
  if (std::isinf(parsed)) return false;
  value = parsed;
  return true;
}

// A NUL byte is in every binary file and in UTF-16 text; it would also cut
// a message that shows the text short.
static void refuse_binary(const std::string& display_name, const std::string& contents,
                          const std::string& purpose) {
  const bool utf16_mark = contents.size() >= 2 && ((contents[0] == '\xFF' && contents[1] == '\xFE') ||
                                                   (contents[0] == '\xFE' && contents[1] == '\xFF'));
  if (utf16_mark || contents.find('\0') != std::string::npos) {
    throw InputError(display_name, 0, "", "a binary or UTF-16 file", purpose + " as plain text");
  }
}

static std::string size_text(std::size_t bytes) {
  constexpr std::size_t MB = std::size_t{1} << 20;
  return bytes % MB == 0 ? std::to_string(bytes / MB) + " MB" : std::to_string(bytes) + " bytes";
}

ListReader ListReader::from_file(const std::filesystem::path& path,
                                 const std::string& display_name, const std::string& purpose,
                                 std::size_t max_bytes, bool keep_prefix) {
  // Read one byte beyond the limit to tell a file of exactly max_bytes from
  // a longer one; an endless file is read no further.
  std::string contents = read_regular_file(path, display_name, purpose, max_bytes);
  const std::size_t used = contents.size();
  std::size_t cut_at = 0;
  if (used > max_bytes) {
    if (!keep_prefix) {
      throw InputError(display_name, 0, "",
                       "more than " + size_text(max_bytes) + " (or an endless file)",
                       purpose + ", which is at most " + size_text(max_bytes));
    }
    refuse_binary(display_name, contents, purpose);
    contents.resize(max_bytes);
    const std::size_t last_end = contents.rfind('\n');
    if (last_end == std::string::npos) {
      throw InputError(display_name, 1, "", "a first line longer than " + size_text(max_bytes),
                       purpose + ", whose lines are short");
    }
    contents.resize(last_end + 1);
    cut_at = max_bytes;
  }
  ListReader reader = from_text(display_name, std::move(contents), purpose);
  reader.cut_at_ = cut_at;
  return reader;
}

ListReader ListReader::from_text(const std::string& display_name, std::string contents,
                                 const std::string& purpose) {
  refuse_binary(display_name, contents, purpose);
  for (std::size_t at = contents.find('\r'); at != std::string::npos; at = contents.find('\r', at + 1)) {
    if (at + 1 == contents.size() || contents[at + 1] != '\n') {
      const int line = 1 + static_cast<int>(std::count(contents.begin(), contents.begin() +
                                                           static_cast<std::ptrdiff_t>(at), '\n'));
      throw InputError(display_name, line, "", "a line that ends in CR alone (old Mac text)",
                       purpose + " with lines that end in LF or CR LF");
    }
  }
  if (contents.empty()) throw InputError(display_name, 0, "", "an empty file", purpose);
  return ListReader(display_name, std::move(contents));
}

std::string ListReader::end_text() const {
  if (cut_at_ == 0) return "the end of the file";
  return "the end of the first " + size_text(cut_at_) + " of the file, all that is read of it";
}

ListReader::ListReader(std::string display_name, std::string contents)
    : name_(std::move(display_name)), contents_(std::move(contents)) {
  std::string_view all(contents_);
  std::size_t start = 0;
  while (start < all.size()) {
    std::size_t end = all.find('\n', start);
    if (end == std::string_view::npos) end = all.size();
    lines_.push_back(all.substr(start, end - start));
    start = end + 1;
  }
}

bool ListReader::line_is_blank(int line) const {
  for (char c : lines_[static_cast<std::size_t>(line)]) {
    if (!is_blank(c)) return false;
  }
  return true;
}

ListReader::Token ListReader::next_token() {
  while (true) {
    if (line_ >= line_count()) return {Token::Type::End, {}, line_count()};
    const std::string_view line = lines_[static_cast<std::size_t>(line_)];
    while (column_ < line.size() && is_blank(line[column_])) ++column_;
    if (column_ == line.size() && within_line_) return {Token::Type::End, {}, line_ + 1};
    if (column_ == line.size()) {
      // A line end separates like a blank.
      ++line_;
      column_ = 0;
      continue;
    }
    const char c = line[column_];
    if (c == ',') {
      ++column_;
      if (after_value_) {
        after_value_ = false;
        continue;
      }
      return {Token::Type::Null, {}, line_ + 1, column_ - 1};
    }
    if (c == '/') {
      ++column_;
      return {Token::Type::Slash, {}, line_ + 1};
    }
    const std::size_t start = column_;
    while (column_ < line.size() && !is_blank(line[column_]) && line[column_] != ',' &&
           line[column_] != '/') {
      ++column_;
    }
    after_value_ = true;
    return {Token::Type::Value, line.substr(start, column_ - start), line_ + 1, start};
  }
}

void ListReader::assign(const ListItem& item, const Token& token, const ValueOrigin& where) {
  bool ok = true;
  switch (item.kind) {
    case ListItem::Kind::Integer:
      ok = parse_integer(token.text, *static_cast<std::int32_t*>(item.target));
      break;
    case ListItem::Kind::Real:
      ok = parse_real(token.text, *static_cast<double*>(item.target));
      break;
    case ListItem::Kind::Text: {
      std::string_view text = token.text;
      if (item.max_length > 0 && text.size() > item.max_length) text = text.substr(0, item.max_length);
      *static_cast<std::string*>(item.target) = std::string(text);
      break;
    }
  }
  if (!ok) throw InputError(name_, token.line, std::string(item.name), quoted_value(token.text), expected_for(item.kind));
  if (keep_origins_) {
    ValueOrigin& origin = origins_[std::string(item.name)];
    origin = where;
    origin.text = std::string(token.text);
  }
}

void ListReader::read(std::initializer_list<ListItem> items) {
  read(std::span<const ListItem>(items.begin(), items.size()));
}

void ListReader::read(std::span<const ListItem> items) {
  // Every read starts at the beginning of a line.
  column_ = 0;
  after_value_ = false;
  if (items.size() == 0) {
    if (line_ >= line_count()) {
      throw InputError(name_, line_count() + 1, "", end_text(), "another line");
    }
    ++line_;
    return;
  }

  std::size_t repeat_left = 0;
  Token repeated{Token::Type::Null, {}, 0};
  ValueOrigin where;
  // For the messages of a group: the items given a value (or a null) so far
  // and the lines they stood on.
  std::size_t consumed = 0;
  int first_line = 0, last_line = 0;
  bool slash = false;
  const auto group_error = [&](const Token& token) {
    std::string names;
    for (const ListItem& i : items) names += (names.empty() ? "" : ", ") + std::string(i.name);
    std::string found = std::string(group_) + " with " + std::to_string(consumed) +
                        (consumed == 1 ? " value" : " values") +
                        (first_line == last_line ? " on line " + std::to_string(first_line)
                                                 : " on lines " + std::to_string(first_line) +
                                                       "-" + std::to_string(last_line));
    found += ", then " + (token.type == Token::Type::End
                              ? end_text()
                              : quoted_value(token.text) + " on line " + std::to_string(token.line));
    const ListItem& missing = *(items.begin() + consumed);
    return InputError(name_, first_line, "", found,
                      "its " + std::to_string(items.size()) + " values " + names +
                          " on one line (the value of " + std::string(missing.name) +
                          " is missing)");
  };
  // A group's read that fails on a later line than its last value has run
  // into what follows the group.
  const auto past_group = [&](const Token& token) {
    return !group_.empty() && consumed > 0 && token.line > last_line;
  };
  for (const ListItem& item : items) {
    if (repeat_left == 0) {
      const Token token = next_token();
      if (token.type == Token::Type::End && !group_.empty() && consumed > 0) {
        throw group_error(token);
      }
      if (token.type == Token::Type::End) {
        if (within_line_ && line_ < line_count()) {
          throw InputError(name_, token.line, std::string(item.name), "the end of the line",
                           expected_for(item.kind));
        }
        throw InputError(name_, line_count() + 1, std::string(item.name), end_text(),
                         expected_for(item.kind));
      }
      if (token.type == Token::Type::Slash) {
        slash = true;
        if (keep_origins_) {
          // This item and the ones after it keep their values.
          for (std::size_t k = static_cast<std::size_t>(&item - items.data()); k < items.size(); ++k) {
            ValueOrigin& origin = origins_[std::string(items[k].name)];
            origin = ValueOrigin{};
            origin.line = token.line;
            origin.column = token.column;
            origin.after_slash = true;
          }
        }
        break;
      }
      if (token.type == Token::Type::Value && past_group(token)) {
        // A value that cannot be the item's is the next group's title.
        std::int32_t i = 0;
        double d = 0;
        const bool fits = item.kind == ListItem::Kind::Integer ? parse_integer(token.text, i)
                          : item.kind == ListItem::Kind::Real  ? parse_real(token.text, d)
                                                               : true;
        if (!fits && token.text.find('*') == std::string_view::npos) throw group_error(token);
      }
      if (consumed == 0) first_line = token.line;
      last_line = token.line;
      repeated = token;
      repeat_left = 1;
      where = {token.line, {}, token.column, token.text.size(), 1, 0};
      if (token.type == Token::Type::Value) {
        const std::size_t star = token.text.find('*');
        if (star != std::string_view::npos && star > 0) {
          std::int32_t count = 0;
          const std::string_view count_text = token.text.substr(0, star);
          bool digits_only = true;
          for (char c : count_text) digits_only = digits_only && is_digit(c);
          if (digits_only && parse_integer(count_text, count) && count > 0) {
            repeat_left = static_cast<std::size_t>(count);
            where.repeat = count;
            repeated.text = token.text.substr(star + 1);
            if (repeated.text.empty()) repeated.type = Token::Type::Null;
          }
        }
      }
    }
    --repeat_left;
    where.copy = where.repeat - 1 - static_cast<std::int32_t>(repeat_left);
    ++consumed;
    if (repeated.type == Token::Type::Value) {
      assign(item, repeated, where);
    } else if (keep_origins_) {
      origins_[std::string(item.name)] = where;
    }
  }
  // What the read leaves of its last line, which is skipped below.
  left_on_line_ = {};
  if (!slash && line_ < line_count()) {
    std::string_view rest = lines_[static_cast<std::size_t>(line_)].substr(column_);
    while (!rest.empty() && (is_blank(rest.front()) || rest.front() == ',')) rest.remove_prefix(1);
    while (!rest.empty() && is_blank(rest.back())) rest.remove_suffix(1);
    left_on_line_ = rest;
  }
  if (!group_.empty() && !slash && line_ < line_count()) {
    const std::string_view rest = left_on_line_;
    // A slash after the last value ends the group on purpose.
    if ((!rest.empty() && rest.front() != '/') || (rest.empty() && repeat_left > 0)) {
      const std::string& last = std::string((items.end() - 1)->name);
      warnings_.push_back(
          name_ + ", line " + std::to_string(line_ + 1) + ": " + std::string(group_) +
          " ends with its last value, " + last + "; the rest of the line" +
          (rest.empty() ? " (" + std::to_string(repeat_left) + " more repeated values)"
                        : ", " + quoted_value(rest) + ",") +
          " is ignored");
    }
  }
  // The rest of the line after the last value (or the slash) is skipped.
  if (line_ < line_count()) ++line_;
  column_ = 0;
  after_value_ = false;
}

void ListReader::read_group(std::string_view group, std::span<const ListItem> items) {
  group_ = group;
  try {
    read(items);
  } catch (...) {
    group_ = {};
    throw;
  }
  group_ = {};
}

void ListReader::read_within_line(std::initializer_list<ListItem> items) {
  read_within_line(std::span<const ListItem>(items.begin(), items.size()));
}

void ListReader::read_within_line(std::span<const ListItem> items) {
  within_line_ = true;
  try {
    read(items);
  } catch (...) {
    within_line_ = false;
    throw;
  }
  within_line_ = false;
}

void ListReader::skip_lines(int count, std::string_view context) {
  column_ = 0;
  after_value_ = false;
  if (line_ + count > line_count()) {
    throw InputError(name_, line_count() + 1, "", end_text(), std::string(context));
  }
  line_ += count;
}

}  // namespace colloidsim
