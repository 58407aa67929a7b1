#pragma once

#include <string>

// Where the running program lies. Here, in the update client, because the client is the layer
// that both the updater program and the fractal program link: the program's start-up, its
// window and the update check all find the same folder the same way.

// The running program's file as the system names it. A path longer than the buffer arrives cut.
std::string ModulePath();

// Everything up to and including the last '\' or '/' of a path: its folder with the closing
// separator. Empty for a path without one.
std::string FolderOfPath(const std::string& path);

// The folder of the running program, with its closing separator: where the other builds, the
// updater and the settings beside the program are.
std::string ProgramFolder();
