// The arguments a program was started with.
#pragma once

#include <string>
#include <vector>

namespace fk::platform {

// The arguments after the program's name, as UTF-8 texts (on Windows read from the wide command line, so that
// names outside the ANSI code page arrive whole).
std::vector<std::string> commandArguments(int argc, char** argv);
// Whether standard output and standard error both go to a terminal, where a person reads them together.
bool outputsOnTerminal();

} // namespace fk::platform
