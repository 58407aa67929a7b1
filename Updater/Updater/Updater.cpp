#include "Updater.h"

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
constexpr int kDeleteAttempts = 10;
constexpr DWORD kDeleteRetryDelayMs = 1000;
constexpr INT_PTR kShellExecuteFailureLimit = 32;
const char kSettingsSection[] = "HostInfo";

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

} // namespace

bool IsOlderVersion(const std::string& running, const std::string& offered)
{
    // std::string compares its bytes as unsigned, the shorter of two equal starts first.
    return running.compare(offered) < 0;
}

Updater::Updater(const std::string& commandLine) : port(kDefaultPort), majorUpdate(false)
{
    CommandLine parsed(commandLine);
    Init(parsed);
}

Updater::Updater(int argc, char** argv) : port(kDefaultPort), majorUpdate(false)
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
    SocketRecvBuffer reply;
    if (http.Receive(reply) != 200) {
        return false;
    }
    std::string body(reply.bytes.begin(), reply.bytes.end());
    std::string entry;
    {
        CommandLine manifest(body);
        entry = manifest.GetValue(exeName);
    }
    SplitString(entry, ',', versionFields);
    if (versionFields.empty()) {
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
        // A version that is not a number cannot be judged; offering it could only mislead.
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
    if (!download.Open(tempFile)) {
        return false;
    }
    int status = http.Receive(download);
    download.Close();
    return status == 200;
}

bool Updater::CopyDownloaded(bool force)
{
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(tempFile.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (!force && static_cast<uint64_t>(found.nFileSizeLow) != static_cast<uint64_t>(download.GetBytesWritten())) {
        FindClose(find);
        return false;
    }
    for (int attempt = 1; attempt <= kDeleteAttempts; ++attempt) {
        if (DeleteFileA(targetPath.c_str())) {
            BOOL copied = CopyFileA(tempFile.c_str(), targetPath.c_str(), FALSE);
            FindClose(find);
            return copied == TRUE;
        }
        Sleep(kDeleteRetryDelayMs);
    }
    FindClose(find);
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
    parameters += " OriginalCLI=" + OriginalCommandLine;
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
