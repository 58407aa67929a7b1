#pragma once

// What a build does at start when the processor lacks the vector width it was built for: the
// question it asks and the narrower build it offers. program is null when the build opens its
// window.
struct FallbackChoice {
    const char* text;
    const char* program;
};

constexpr char kFallbackCaption[] = "Instructions not supported";

// The SSE2 build's choice: its window from 128 bits up, otherwise the scalar build.
FallbackChoice SseStartupChoice(int bits);

// The program's folder from its module path: everything up to and including the last
// backslash. False (and an empty folder) for a path without one.
bool ProgramFolder(const char* modulePath, char* folder, unsigned folderSize);

// Asks whether to start the narrower build; unless the user cancels, starts it from the
// program's own folder with the shell's "open" verb and no parameters. True when the user did
// not cancel, whether or not the start succeeded.
bool LaunchFallbackBuild(const FallbackChoice& choice);

// The window path of a build, given its command line; returns WinMain's result.
using WindowPath = int (*)(const char* commandLine);

// Everything after the probe: the fallback (1 when a narrower build was started, 0 when the
// user cancelled) or the window path.
int RunStartup(const char* commandLine, int bits, const FallbackChoice& choice, WindowPath openWindow);
