// A parameter file with some values changed and everything else kept as it
// was written: heading lines, group titles, every other value's text, blanks
// and commas.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "io/parameter_file.h"

namespace colloidsim {

struct ParameterAssignment {
  std::string name;   // a name of PARAMETERS
  std::string value;  // the value as given, in the file's own syntax ("1e-6", "1.0D-6", "3")
};

// "NAME=VALUE" split at its first '='. Throws InputError (where: "command
// line", or the file and line of a study) when there is no '=' or no name.
ParameterAssignment split_assignment(const std::string& text, const std::string& where);

// The text of file (read from text) with each assignment's value replaced
// by the shortest text that reads back to the same number (an integer in
// decimal). A value written as a repeat "r*c" is spelt out into its r
// values, a null (",,") gets the value between its commas. Throws
// InputError, with nothing changed, for an unknown name, a value that is not
// of the parameter's kind, or a value left out by a slash. The result is
// read back and checked: the named values are the new ones, every other
// value is as before.
std::string rewrite_parameters(const std::string& text, const ParameterFile& file,
                               const std::vector<ParameterAssignment>& assignments,
                               const std::string& where);

// Every parameter, one a line: name, group (0 for line 7), unit, value as
// the file holds it (the shortest round-trip text; "(not set)" for a value
// left out).
std::string parameter_listing(const ParameterFile& file);

}  // namespace colloidsim
