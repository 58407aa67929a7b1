#pragma once

#include <string>
#include <vector>

// The names of the files (not folders) in a folder, to see that a failed or stopped save left
// no temporary file beside its target.
std::vector<std::string> FilesIn(const std::string& folder);
