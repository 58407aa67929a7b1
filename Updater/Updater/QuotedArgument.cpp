#include "QuotedArgument.h"

std::string QuotedArgument(const std::string& word)
{
    // Backslashes are literal except in front of a quote: there each of them must be doubled,
    // and the quote itself escaped. The closing quote counts as such a quote.
    std::string quoted = "\"";
    size_t backslashes = 0;
    for (char c : word) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            quoted.append(2 * backslashes + 1, '\\');
        } else {
            quoted.append(backslashes, '\\');
        }
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, '\\');
    quoted += '"';
    return quoted;
}
