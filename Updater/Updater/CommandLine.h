#pragma once

#include <map>
#include <string>
#include <vector>

// Flags and key=value words of a command line or of a reply body. Keys are stored lower-cased
// ('A'..'Z' only), values exactly as written. The running program's folder and file name come
// from the system, never from the parsed text.
class CommandLine
{
public:
    explicit CommandLine(const std::string& line);
    CommandLine(int argc, char** argv);
    ~CommandLine();

    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    // The references stay valid as long as this object; copy what outlives it.
    const std::string& GetValue(const std::string& key) const;
    bool HasFlag(const std::string& name) const;
    // Throws std::invalid_argument / std::out_of_range for a value that is not a number.
    int GetInt(const std::string& key, int defaultValue) const;
    const std::string& GetFileName() const;
    const std::string& GetDirectory() const;

    static std::string ToLower(const std::string& text);

private:
    using Table = std::map<std::string, std::string>;

    const std::string& Lookup(const std::string& key, const Table& table) const;
    void Parse(std::vector<std::string>& words);
    void SplitModulePath(const std::string& path);

    std::string directory;
    std::string fileName;
    Table values;
    Table flags;
    const std::string notFound;
};

// Appends the pieces of text cut at every delimiter. Every delimiter ends a piece, empty or not;
// the text after the last delimiter counts only when it is not empty.
void SplitString(const std::string& text, char delimiter, std::vector<std::string>& out);

// Converts up to three dotted pieces into major, minor and patch, in that order, and returns how
// many were converted. Outputs past that count are left alone; one pointer may stand for several.
// A piece that is not a number throws the standard conversion errors.
int ParseVersion(const std::string& version, int* major, int* minor, int* patch);
