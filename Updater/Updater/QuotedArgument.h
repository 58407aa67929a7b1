#pragma once

#include <string>

// The word as one argument of a Windows command line: in double quotes, with backslashes and
// quotes escaped so that the C run-time's argument split gives back exactly the word, whatever
// blanks, quotes or trailing backslashes it holds.
std::string QuotedArgument(const std::string& word);
