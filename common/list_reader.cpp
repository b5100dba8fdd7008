#include "common/list_reader.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "common/input_error.h"

namespace colloidsim {

namespace {

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

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

ListReader ListReader::from_file(const std::filesystem::path& path,
                                 const std::string& display_name, const std::string& purpose) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw InputError(display_name, std::string("cannot open the file (") + std::strerror(errno) +
                                       "); expected " + purpose);
  }
  std::ostringstream contents;
  contents << in.rdbuf();
  if (in.bad()) throw InputError(display_name, "cannot read the file");
  return ListReader(display_name, contents.str());
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
      return {Token::Type::Null, {}, line_ + 1};
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
    return {Token::Type::Value, line.substr(start, column_ - start), line_ + 1};
  }
}

void ListReader::assign(const ListItem& item, const Token& token) {
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
  if (!ok) throw InputError(name_, token.line, std::string(item.name), quoted(token.text), expected_for(item.kind));
  if (keep_origins_) origins_[std::string(item.name)] = {token.line, std::string(token.text)};
}

void ListReader::read(std::initializer_list<ListItem> items) {
  // Every read starts at the beginning of a line.
  column_ = 0;
  after_value_ = false;
  if (items.size() == 0) {
    if (line_ >= line_count()) {
      throw InputError(name_, line_count() + 1, "", "the end of the file", "another line");
    }
    ++line_;
    return;
  }

  std::size_t repeat_left = 0;
  Token repeated{Token::Type::Null, {}, 0};
  for (const ListItem& item : items) {
    if (repeat_left == 0) {
      const Token token = next_token();
      if (token.type == Token::Type::End) {
        if (within_line_ && line_ < line_count()) {
          throw InputError(name_, token.line, std::string(item.name), "the end of the line",
                           expected_for(item.kind));
        }
        throw InputError(name_, line_count() + 1, std::string(item.name), "the end of the file",
                         expected_for(item.kind));
      }
      if (token.type == Token::Type::Slash) break;
      repeated = token;
      repeat_left = 1;
      if (token.type == Token::Type::Value) {
        const std::size_t star = token.text.find('*');
        if (star != std::string_view::npos && star > 0) {
          std::int32_t count = 0;
          const std::string_view count_text = token.text.substr(0, star);
          bool digits_only = true;
          for (char c : count_text) digits_only = digits_only && is_digit(c);
          if (digits_only && parse_integer(count_text, count) && count > 0) {
            repeat_left = static_cast<std::size_t>(count);
            repeated.text = token.text.substr(star + 1);
            if (repeated.text.empty()) repeated.type = Token::Type::Null;
          }
        }
      }
    }
    --repeat_left;
    if (repeated.type == Token::Type::Value) {
      assign(item, repeated);
    } else if (keep_origins_) {
      origins_[std::string(item.name)] = {repeated.line, {}};
    }
  }
  // The rest of the line after the last value (or the slash) is skipped.
  if (line_ < line_count()) ++line_;
  column_ = 0;
  after_value_ = false;
}

void ListReader::read_within_line(std::initializer_list<ListItem> items) {
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
    throw InputError(name_, line_count() + 1, "", "the end of the file",
                     std::string(context));
  }
  line_ += count;
}

}  // namespace colloidsim
