#include "Updater.h"

#include "QuotedArgument.h"
#include "SocketRecvBuffer.h"
#include "UpdateSession.h"

#include <shellapi.h>

#include <cstdio>
#include <stdexcept>

// Process-wide, as only the one update thread reads settings.
char HostInfoValueBuffer[1000];

namespace {

constexpr DWORD kTempPathSize = 1000;
// A closing program holds its file for a moment; the updater waits it out this long at most.
constexpr int kReplaceAttempts = 10;
constexpr DWORD kReplaceRetryDelayMs = 1000;
constexpr INT_PTR kShellExecuteFailureLimit = 32;
const char kSettingsSection[] = "HostInfo";
// A version fits a message box line, and each of its numbers fits an int.
constexpr size_t kMaxVersionText = 32;
constexpr size_t kMaxVersionNumberDigits = 9;
constexpr size_t kMaxSizeDigits = 18;
constexpr int64_t kNoSize = -1;

std::string TempFolder()
{
    char buffer[kTempPathSize] = {};
    DWORD length = GetTempPathA(kTempPathSize, buffer);
    if (length == 0 || length >= kTempPathSize) {
        return std::string();
    }
    return std::string(buffer, length);
}

// The low 16 bits of the decimal port text; a text that is no int at all leaves the default.
uint16_t PortFromText(const std::string& text)
{
    try {
        return static_cast<uint16_t>(std::stoi(text) & 0xFFFF);
    } catch (const std::logic_error&) {
        printf("Port is not a number: %s, using port %d\n", text.c_str(), Updater::kDefaultPort);
        return Updater::kDefaultPort;
    }
}

// The "Size" option: decimal digits alone, or kNoSize.
int64_t SizeFromText(const std::string& text)
{
    if (text.empty() || text.size() > kMaxSizeDigits) {
        return kNoSize;
    }
    int64_t size = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return kNoSize;
        }
        size = size * 10 + (c - '0');
    }
    return size;
}

int64_t FileSize(const std::string& name)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) {
        return kNoSize;
    }
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

bool FileExists(const std::string& name)
{
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A new empty file in folder, to build the replacement in beside the file it replaces: a rename
// within one folder then swaps them in one step.
std::string NewFileIn(const std::string& folder)
{
    char name[MAX_PATH] = {};
    if (GetTempFileNameA(folder.c_str(), "_Up", 0, name) == 0) {
        return std::string();
    }
    return name;
}

} // namespace

bool IsVersionText(const std::string& text)
{
    if (text.empty() || text.size() > kMaxVersionText) {
        return false;
    }
    size_t digits = 0;
    for (char c : text) {
        if (c >= '0' && c <= '9') {
            if (++digits > kMaxVersionNumberDigits) {
                return false;
            }
        } else if (c == '.' && digits > 0) {
            digits = 0;
        } else {
            return false;
        }
    }
    return digits > 0;
}

bool IsOlderVersion(const std::string& running, const std::string& offered)
{
    // std::string compares its bytes as unsigned, the shorter of two equal starts first.
    return running.compare(offered) < 0;
}

Updater::Updater(const std::string& commandLine) : port(kDefaultPort), majorUpdate(false), expectedSize(kNoSize)
{
    CommandLine parsed(commandLine);
    Init(parsed);
}

Updater::Updater(int argc, char** argv) : port(kDefaultPort), majorUpdate(false), expectedSize(kNoSize)
{
    CommandLine parsed(argc, argv);
    Init(parsed);
}

Updater::~Updater()
{
    // The members then go in the reverse of their order: the version fields, the connection
    // (and its Winsock start), the strings.
    download.Close();
}

void Updater::Init(CommandLine& commandLine)
{
    clientName = commandLine.GetFileName();
    programDir = commandLine.GetDirectory();
    exeName = commandLine.GetFileName();
    targetName = commandLine.GetValue("Filename");
    targetPath = programDir + "\\" + targetName;
    tempFile = TempFolder() + "\\_Tmp" + targetName;
    expectedSize = SizeFromText(commandLine.GetValue("Size"));

    if (commandLine.HasFlag("CopyAndRun")) {
        CopyDownloaded(true);
        LaunchTarget(commandLine.GetValue("OriginalCLI"));
        return;
    }

    CIni settings((programDir + "\\Updater.ini").c_str());
    host = ReadHostInfo("Host", settings, commandLine);
    path = ReadHostInfo("Path", settings, commandLine);
    std::string portText = ReadHostInfo("Port", settings, commandLine);
    if (!portText.empty()) {
        port = PortFromText(portText);
    }
    currentVersion = commandLine.GetValue("CurrVer");
}

std::string Updater::ReadHostInfo(const char* key, CIni& settings, CommandLine& commandLine)
{
    int length = settings.ReadString(kSettingsSection, key, HostInfoValueBuffer, sizeof HostInfoValueBuffer);
    std::string result;
    if (length >= static_cast<int>(sizeof HostInfoValueBuffer)) {
        // The buffer holds a cut, unterminated value: a cut host or path would be a wrong one.
        HostInfoValueBuffer[0] = '\0';
        printf("Setting %s is too long, ignored\n", key);
    } else {
        result = HostInfoValueBuffer;
    }
    const std::string& override = commandLine.GetValue(key);
    if (!override.empty()) {
        result = override;
    }
    return result;
}

bool Updater::CheckForUpdate()
{
    if (host.empty() || path.empty()) {
        return false;
    }
    versionFields.clear();
    majorUpdate = false;

    http = HttpClient(clientName);
    if (!http.Connect(host, port)) {
        return false;
    }
    if (!http.SendGet(path)) {
        return false;
    }
    SocketRecvBuffer reply(kMaxVersionReply);
    int status = http.Receive(reply);
    if (reply.IsOverLimit()) {
        printf("Version reply longer than %d bytes, no update\n", static_cast<int>(kMaxVersionReply));
        return false;
    }
    if (status != 200) {
        return false;
    }
    return ReadVersionReply(std::string(reply.bytes.begin(), reply.bytes.end()));
}

bool Updater::ReadVersionReply(const std::string& body)
{
    versionFields.clear();
    newVersion.clear();
    majorUpdate = false;
    if (body.size() > kMaxVersionReply) {
        return false;
    }
    std::string entry;
    {
        CommandLine manifest(body);
        entry = manifest.GetValue(exeName);
    }
    SplitString(entry, ',', versionFields);
    if (versionFields.empty()) {
        return false;
    }
    // The version goes into the question put to the user: only a plain version may.
    if (!IsVersionText(versionFields[0])) {
        printf("Offered version is no version number, no update: %s\n", Printable(versionFields[0]).c_str());
        return false;
    }
    newVersion = versionFields[0];
    if (!IsOlderVersion(currentVersion, newVersion)) {
        return false;
    }

    int runningMajor = 0;
    int offeredMajor = 0;
    int scratch = 0;
    try {
        if (ParseVersion(currentVersion, &runningMajor, &scratch, &scratch) != 0 &&
            ParseVersion(newVersion, &offeredMajor, &scratch, &scratch) != 0 && runningMajor < offeredMajor) {
            majorUpdate = true;
        }
    } catch (const std::logic_error&) {
        // A running version that is not a number cannot be judged; offering it could only mislead.
        printf("Cannot read version %s against %s, no update\n", newVersion.c_str(), currentVersion.c_str());
        return false;
    }
    return true;
}

bool Updater::Download()
{
    size_t field = majorUpdate ? 2 : 1;
    if (versionFields.size() <= field) {
        return false;
    }
    if (!http.SendGet(versionFields[field])) {
        return false;
    }
    int64_t before = download.GetBytesWritten();
    // Provisional until it is known whole: a download that ends any other way, the program
    // closed or killed in the middle of it included, leaves nothing behind.
    if (!download.OpenProvisional(tempFile)) {
        return false;
    }
    int status = http.Receive(download);
    // A reply cut short still ends with 200, and an empty file is no program: only the whole
    // announced file counts.
    int64_t announced = download.GetAnnouncedLength();
    int64_t got = download.GetBytesWritten() - before;
    bool whole = status == 200 && announced > 0 && got == announced;
    if (status == 200 && !whole) {
        printf("Download incomplete: %lld of %lld bytes\n", static_cast<long long>(got),
               static_cast<long long>(announced));
    }
    // Every byte went straight to the file, so the count is what it holds: closing adds nothing.
    bool kept = whole && download.Keep();
    download.Close();
    if (!kept) {
        return false;
    }
    expectedSize = announced;
    return true;
}

bool Updater::CopyDownloaded(bool force)
{
    WIN32_FILE_ATTRIBUTE_DATA found;
    if (!GetFileAttributesExA(tempFile.c_str(), GetFileExInfoStandard, &found)) {
        return false;
    }
    int64_t size = static_cast<int64_t>((static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
    // Unforced, the file must be what this Updater wrote; forced, what the hand-over announced.
    // Without a known size the file may be anything left in the temporary folder, and an empty
    // file is no program: either would leave the user without one.
    int64_t expected = force ? expectedSize : download.GetBytesWritten();
    if (expected <= 0 || size != expected) {
        printf("Download has %lld bytes, expected %lld: not copied\n", static_cast<long long>(size),
               static_cast<long long>(expected));
        return false;
    }

    // The target is never deleted first: the new file is made whole beside it and then renamed
    // over it, so a copy that fails leaves the old program as it was.
    std::string staged = NewFileIn(programDir);
    if (staged.empty()) {
        return false;
    }
    if (!CopyFileA(tempFile.c_str(), staged.c_str(), FALSE) || FileSize(staged) != size) {
        DeleteFileA(staged.c_str());
        return false;
    }
    for (int attempt = 1; attempt <= kReplaceAttempts; ++attempt) {
        // A missing target is not created: only a program that is there gets updated.
        if (FileExists(targetPath) &&
            MoveFileExA(staged.c_str(), targetPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        Sleep(kReplaceRetryDelayMs);
    }
    DeleteFileA(staged.c_str());
    return false;
}

void Updater::LaunchTarget(const std::string& originalCommandLine)
{
    std::string parameters = " -FromUpdater";
    if (!originalCommandLine.empty()) {
        parameters += " OriginalCLI=" + originalCommandLine;
    }
    ShellExecuteA(NULL, "open", targetPath.c_str(), parameters.c_str(), programDir.c_str(), SW_SHOWNORMAL);
}

void Updater::RunUpdater(std::string updaterExe)
{
    std::string parameters = " -CopyAndRun";
    parameters += " Filename=" + exeName;
    if (expectedSize != kNoSize) {
        parameters += " Size=" + std::to_string(expectedSize);
    }
    // One quoted word: the user's words can then neither replace nor add to the options above,
    // and the updater gets the command line back whole to hand to the new program.
    parameters += " " + QuotedArgument("OriginalCLI=" + OriginalCommandLine);
    HINSTANCE result =
        ShellExecuteA(NULL, "open", updaterExe.c_str(), parameters.c_str(), programDir.c_str(), SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) > kShellExecuteFailureLimit) {
        PostMessageA(UpdateMainWindow, WM_CLOSE, 0, 0);
    } else {
        MessageBoxA(NULL, "Could not launch Updater.exe for some reason. Please try again later", "Error Updating",
                    MB_ICONERROR);
    }
}

int UpdaterMain(int argc, char** argv)
{
    Updater updater(argc, argv);
    if (updater.CheckForUpdate() && updater.Download()) {
        updater.CopyDownloaded(false);
        updater.LaunchTarget("");
    }
    return 0;
}
