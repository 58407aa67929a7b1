#pragma once

// What a build does at start when the processor lacks the vector width it was built for: the
// question it asks and the narrower build it offers. program is null when the build opens its
// window.
struct FallbackChoice {
    const char* text;
    const char* program;
};

constexpr char kFallbackCaption[] = "Instructions not supported";

// The vector width the SSE2 build's kernels need.
constexpr int kSseBits = 128;

// What a build offers on a processor without 128-bit vectors: the scalar build.
constexpr FallbackChoice kScalarFallback{
    "Intrinsic instructions are not supported on this computer, launching the SSE executable instead",
    "newZorbReleaseScalar.exe"};

// The SSE2 build's choice: its window from 128 bits up, otherwise the scalar build.
FallbackChoice SseStartupChoice(int bits);

// Asks whether to start the narrower build; unless the user cancels, starts it from the
// program's own folder with the shell's "open" verb and no parameters. True when the user did
// not cancel, whether or not the start succeeded.
bool LaunchFallbackBuild(const FallbackChoice& choice);

// The window path of a build, given its command line; returns WinMain's result.
using WindowPath = int (*)(const char* commandLine);

// Everything after the probe: the fallback (1 when a narrower build was started, 0 when the
// user cancelled) or the window path.
int RunStartup(const char* commandLine, int bits, const FallbackChoice& choice, WindowPath openWindow);
