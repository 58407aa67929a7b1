#pragma once

// A duration for the large-picture saver's status line: "12.3s" below a minute, then
// "1m 15s", "1h 2m" or "1d 1h", the two largest units only. Returns the characters written;
// `out` needs room for 32.
int FormatDuration(double seconds, char* out);
