// The free-format reader on any text. The first four bytes choose what is
// read: byte 0 the number of reads and whether the text goes through the
// file checks, bytes 1-3 the kind of each read (a line skip, a read without
// items, reads of integers, reals and texts); the rest is the text.
#include <cstdint>
#include <string>

#include "common/input_error.h"
#include "common/list_reader.h"
#include "fuzz/fuzz_check.h"

using namespace colloidsim;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 4, size - 4);
  {
    std::int32_t i = 0;
    double r = 0;
    parse_integer(text, i);
    parse_real(text, r);
  }
  try {
    ListReader in = data[0] & 1 ? ListReader::from_text("FUZZ", text, "a fuzz input")
                                : ListReader("FUZZ", text);
    in.keep_origins((data[0] & 2) != 0);
    const int reads = 1 + (data[0] >> 2) % 12;
    std::uint32_t kinds = data[1] | data[2] << 8 | data[3] << 16;
    std::int32_t a = 0, b = 0;
    double x = 0, y = 0, z = 0;
    std::string s, t;
    for (int k = 0; k < reads; ++k, kinds = kinds >> 2 | kinds << 22) {
      switch (kinds & 7) {
        case 0: in.read({}); break;
        case 1: in.skip_lines(static_cast<int>(kinds >> 3 & 3), "the skipped lines"); break;
        case 2: in.read({ListItem::integer("A", a), ListItem::integer("B", b)}); break;
        case 3: in.read({ListItem::real("X", x), ListItem::real("Y", y), ListItem::real("Z", z)}); break;
        case 4: in.read({ListItem::text("S", s, 20), ListItem::real("X", x)}); break;
        case 5: in.read({ListItem::text("T", t)}); break;
        case 6:
          in.read({ListItem::integer("A", a), ListItem::real("X", x), ListItem::text("S", s),
                   ListItem::real("Y", y), ListItem::integer("B", b), ListItem::real("Z", z)});
          break;
        default:
          in.seek_line(static_cast<int>(kinds >> 3 & 7) % (in.line_count() + 1));
          if (in.line_count() > 0) in.line_is_blank(in.next_line() % in.line_count());
          break;
      }
    }
  } catch (const InputError& e) {
    fuzz::check_message(e.what());
  }
  return 0;
}
