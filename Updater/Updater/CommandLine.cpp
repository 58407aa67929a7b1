#include "CommandLine.h"

#include "ProgramFolder.h"

CommandLine::CommandLine(const std::string& line)
{
    std::vector<std::string> words;
    SplitString(line, ' ', words);
    Parse(words);
}

CommandLine::CommandLine(int argc, char** argv)
{
    std::vector<std::string> words;
    for (int i = 0; i < argc; ++i) {
        words.push_back(argv[i] != nullptr ? argv[i] : "");
    }
    Parse(words);
}

CommandLine::~CommandLine() = default;

const std::string& CommandLine::GetValue(const std::string& key) const
{
    return Lookup(key, values);
}

bool CommandLine::HasFlag(const std::string& name) const
{
    return Lookup(name, flags) != notFound;
}

int CommandLine::GetInt(const std::string& key, int defaultValue) const
{
    const std::string& value = GetValue(key);
    if (value.empty()) {
        return defaultValue;
    }
    return std::stoi(value);
}

const std::string& CommandLine::GetFileName() const
{
    return fileName;
}

const std::string& CommandLine::GetDirectory() const
{
    return directory;
}

std::string CommandLine::ToLower(const std::string& text)
{
    std::string lower(text);
    for (char& c : lower) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + ('a' - 'A'));
        }
    }
    return lower;
}

const std::string& CommandLine::Lookup(const std::string& key, const Table& table) const
{
    auto found = table.find(ToLower(key));
    return found != table.end() ? found->second : notFound;
}

void CommandLine::Parse(std::vector<std::string>& words)
{
    SplitModulePath(ModulePath());
    for (const std::string& word : words) {
        if (word.empty()) {
            continue;
        }
        // '=' is tested first, so "-Name=x" is a value under the key "-name".
        size_t equals = word.find('=');
        if (equals != std::string::npos) {
            values[ToLower(word.substr(0, equals))] = word.substr(equals + 1);
        } else if (word[0] == '-') {
            flags[ToLower(word.substr(1))] = word;
        }
    }
    words.clear();
}

void CommandLine::SplitModulePath(const std::string& path)
{
    if (path.empty()) {
        return;
    }
    const std::string folder = FolderOfPath(path);
    // The folder without its closing separator: none for a bare name, which is all file name.
    directory = folder.empty() ? folder : folder.substr(0, folder.size() - 1);
    fileName = path.substr(folder.size());
}

void SplitString(const std::string& text, char delimiter, std::vector<std::string>& out)
{
    size_t start = 0;
    for (;;) {
        size_t found = text.find(delimiter, start);
        if (found == std::string::npos) {
            break;
        }
        out.push_back(text.substr(start, found - start));
        start = found + 1;
    }
    if (start < text.size()) {
        out.push_back(text.substr(start));
    }
}

int ParseVersion(const std::string& version, int* major, int* minor, int* patch)
{
    std::vector<std::string> pieces;
    SplitString(version, '.', pieces);
    int* outputs[] = {major, minor, patch};
    int count = pieces.size() < 3 ? static_cast<int>(pieces.size()) : 3;
    for (int i = 0; i < count; ++i) {
        *outputs[i] = std::stoi(pieces[i]);
    }
    return count;
}
