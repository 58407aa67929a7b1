#pragma once

// Replies a broken or hostile update server might send, from a seeded generator: the same seed
// gives the same replies on every machine.

#include <random>
#include <string>

std::string FuzzBytes(std::mt19937& random, size_t count);

// A sound reply (plain bodies, errors, version replies with a word for exeName), mutated a few
// times, or noise.
std::string MakeFuzzReply(std::mt19937& random, const std::string& exeName);
