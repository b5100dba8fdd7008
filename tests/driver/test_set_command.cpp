// colloidsim set: writes the changed file whole, or changes nothing.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/run_inputs.h"
#include "tests/support.h"

namespace colloidsim {
namespace {

using testing::fresh_directory;
using testing::input_with;
using testing::read_text;
using testing::run_in;
using testing::write_text;

TEST(SetCommand, WritesTheChangedFileOrNothing) {
  const auto dir = fresh_directory("set_command");
  const std::string base = input_with({});
  write_text(dir / "INPUT.IN", base);

  // Refused: the file stays byte for byte, no temporary is left.
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"set", "POROSITY=1.5"},
                                             {"set", "AP=1e-6", "NOPE=1"},
                                             {"set", "INPUT.IN", "RLIM=1"}}) {
    const auto o = run_in(dir, args);
    EXPECT_EQ(o.status, 1) << args.back();
    EXPECT_NE(o.err.find("colloidsim: "), std::string::npos);
    EXPECT_EQ(read_text(dir / "INPUT.IN"), base) << args.back();
  }
  EXPECT_EQ(testing::output_files(dir).size(), 0u);

  // --out leaves the original as it is; the new file is the example with
  // that one value changed.
  auto o = run_in(dir, {"set", "AP=0.25e-6", "--out", "twin.IN"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(read_text(dir / "INPUT.IN"), base);
  EXPECT_EQ(read_text(dir / "twin.IN"), input_with({{"AP", "2.5e-07"}}));

  o = run_in(dir, {"set", "twin.IN", "--list"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("AP             2  m       2.5e-07\n"), std::string::npos) << o.out;
}

}  // namespace
}  // namespace colloidsim
