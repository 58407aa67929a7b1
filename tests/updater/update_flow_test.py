"""The whole update hand-over under Wine, against a loopback server started here.

A program copy in a folder of its own, with an Updater.ini that points at the server and the
updater program beside it; the update prompt is answered by updater_box_answer. Each case checks
what the user saw, what the server was asked, the program file afterwards and the restart.

usage: update_flow_test.py --wine W --probe P --updater U --answer A [--program newZorb.exe]
With --program the real program is run as well ("windowed"); otherwise only the probe.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_http_server import TestHttpServer  # noqa: E402

PROMPT_CAPTION = "Update Available"
PROBE_TITLE = "Zorbscape Probe"
PROGRAM_TITLE = "Zorbscape"
HOST_HEADER = "update.zorbscape.example"
# A probe the update does not close ends once its update check is over; this lifetime only
# ends one whose check never does.
FIRST_LIFETIME_MS = 60000
EXIT_TIMEOUT_S = 90
BOX_TIMEOUT_MS = 20000


def prompt_text(new_version):
    return ("There is an update available\n\nNew Version: %s\nThis Version: 1.5\n\n"
            "Would you like to update now?(Updating will cause the application to restart)" % new_version)


DOWNLOAD_FAILED_TEXT = ("There was an error getting the update\nPlease try again later\n"
                        "or go to website and get update manually")
LAUNCH_FAILED_TEXT = "Could not launch Updater.exe for some reason. Please try again later"


def expected_request(path, agent):
    return ("GET %s HTTP/1.1\r\nAccept: */*\r\nAccept-Language: en-gb\r\nAccept-Encoding: gzip, deflate\r\n"
            "User-Agent: Mozilla/4.0 (compatible; %s)\r\nConnection: Keep-Alive\r\nHost: %s\r\n\r\n"
            % (path, agent, HOST_HEADER)).encode("latin-1")


class CaseFailed(Exception):
    pass


def check(condition, message):
    if not condition:
        raise CaseFailed(message)


def file_bytes(path):
    """The file's bytes, or None while it is not there: the updater replaces a file by
    removing it and then copying the new one in, so a poll can fall between the two."""
    try:
        with open(path, "rb") as f:
            return f.read()
    except FileNotFoundError:
        return None


def wait_until(predicate, timeout, step=0.1):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(step)
    return predicate()


class Flow:
    def __init__(self, args, base):
        self.args = args
        self.base = base
        self.env = dict(os.environ)
        self.counter = 0
        self.started = []
        self.temp_folder = None

    # ---- one case's folder ----

    def make_folder(self, name, exe_source, exe_name, with_updater=True, ini=None):
        self.counter += 1
        folder = os.path.join(self.base, "%02d-%s" % (self.counter, name))
        os.makedirs(folder)
        shutil.copyfile(exe_source, os.path.join(folder, exe_name))
        if with_updater:
            # Under the name the program starts it by: Updater.exe, or Updater32.exe for x86.
            shutil.copyfile(self.args.updater, os.path.join(folder, os.path.basename(self.args.updater)))
        if ini is not None:
            with open(os.path.join(folder, "Updater.ini"), "w", newline="\r\n") as f:
                f.write(ini)
        return folder

    @staticmethod
    def ini_for(port, path="/version"):
        return "[HostInfo]\nHost=127.0.0.1\nPath=%s\nPort=%d\n" % (path, port)

    def served_copy(self, folder, source, label):
        """The 'new version': the program file with a marker behind it, so a copy is recognisable."""
        path = os.path.join(folder, "..", os.path.basename(folder) + "-" + label + ".bin")
        with open(source, "rb") as f:
            data = f.read()
        data += b"\0ZORB-TEST-UPDATE " + label.encode() + b"\0"
        with open(path, "wb") as f:
            f.write(data)
        return os.path.abspath(path), data

    # ---- Windows processes ----

    def start(self, folder, exe_name, words):
        process = subprocess.Popen([self.args.wine, os.path.join(folder, exe_name)] + words, cwd=folder,
                                   env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        self.started.append(process)
        return process

    def end_started(self):
        """After a failed case: the programs this test started itself do not outlive it."""
        for process in self.started:
            if process.poll() is None:
                process.kill()
                process.wait()
        self.started = []

    def answer(self, caption, mode, timeout_ms=BOX_TIMEOUT_MS):
        """Runs the box helper; returns (exit code, text, owner title or None)."""
        out_path = os.path.join(self.base, "answer-%d.txt" % self.counter)
        with open(out_path, "w") as out:
            rc = subprocess.run([self.args.wine, self.args.answer, caption, mode, str(timeout_ms)], env=self.env,
                                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL,
                                timeout=timeout_ms / 1000 + 30).returncode
        text, owner = None, None
        with open(out_path) as f:
            for line in f:
                key, _, value = line.strip().partition(" ")
                if key == "TEXT":
                    text = bytes.fromhex(value).decode("latin-1")
                elif key == "OWNER":
                    owner = None if value == "-" else bytes.fromhex(value).decode("latin-1")
        return rc, text, owner

    def close_window(self, title, timeout_ms, program):
        windows_path = "Z:" + os.path.abspath(program).replace("/", "\\")
        return subprocess.run([self.args.wine, self.args.answer, "--close", title, str(timeout_ms), windows_path],
                              env=self.env,
                              stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout_ms / 1000 + 30).returncode

    @staticmethod
    def wait_exit(process, timeout):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
            raise CaseFailed("the program did not end within %d s" % timeout)

    # ---- what the probe logged ----

    @staticmethod
    def log_lines(folder):
        path = os.path.join(folder, "probe.log")
        if not os.path.exists(path):
            return []
        with open(path, encoding="latin-1") as f:
            return [line.rstrip("\n") for line in f]

    def temp_file(self, exe_name):
        """The Unix path of the program exe_name's download file, in the temporary folder that
        Windows programs see here (asked of the box helper once)."""
        if self.temp_folder is None:
            result = subprocess.run([self.args.wine, self.args.answer, "--temp"], env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                    timeout=120)
            check(result.returncode == 0, "the temporary folder could not be asked for")
            self.temp_folder = result.stdout.decode("latin-1").strip()
        path = self.unix_path(self.temp_folder + "\\_Tmp" + exe_name)
        check(path is not None, "the temporary folder %r is no drive path" % self.temp_folder)
        return path

    def unix_path(self, windows_path):
        prefix = self.env.get("WINEPREFIX", os.path.expanduser("~/.wine"))
        if windows_path[1:3].upper() != ":\\":
            return None
        drive = windows_path[0].lower()
        rest = [p for p in windows_path[3:].split("\\") if p]
        if drive == "z":
            return "/" + "/".join(rest)
        return os.path.join(prefix, "drive_%s" % drive, *rest)


# ---- the cases ----

def check_requests(server, paths, agent):
    requests, _ = server.snapshot()
    check([r["path"] for r in requests] == paths, "requests %s, expected %s" % ([r["path"] for r in requests], paths))
    check(len({r["conn"] for r in requests}) <= 1, "the requests came on more than one connection")
    for r in requests:
        check(r["raw"] == expected_request(r["path"], agent), "request bytes differ: %r" % r["raw"])


def case_update_accepted(flow, name, offered, field, source, exe_name, title, words, agent, after=0):
    with TestHttpServer() as server:
        folder = flow.make_folder(name, source, exe_name, ini=flow.ini_for(server.port))
        minor_path, minor = flow.served_copy(folder, source, "minor")
        major_path, major = flow.served_copy(folder, source, "major")
        server.routes.update({
            "/version": {"body": "Other.exe=9.9,/x,/y %s=%s,/dl/minor,/dl/major Last.exe=0.1" % (exe_name, offered)},
            "/dl/minor": {"file": minor_path, "after": after},
            "/dl/major": {"file": major_path, "after": after},
        })
        program = os.path.join(folder, exe_name)
        with open(program, "rb") as f:
            original = f.read()

        process = flow.start(folder, exe_name, words)
        rc, text, owner = flow.answer(PROMPT_CAPTION, "yes")
        check(rc == 0, "no update prompt appeared")
        check(text == prompt_text(offered), "prompt text %r" % text)
        check(owner == title, "prompt owner %r" % owner)
        flow.wait_exit(process, 30)

        expected = major if field == "major" else minor
        check(wait_until(lambda: file_bytes(program) == expected, 30),
              "the program file was not replaced by the %s download" % field)
        temp = flow.temp_file(exe_name)
        check(file_bytes(temp) == expected, "the download file differs from what was served")
        os.remove(temp)
        return server, folder, original


# Words of the user's own that look like the hand-over's options, or that a command-line parser
# could take apart: none of them may change the hand-over, and all come back to the new program.
USER_WORDS = ["windowed", "Size=1", "Filename=Other.exe", "-CopyAndRun", 'say "hi"', "C:\\dir with space\\",
              "*.exe", "extra=1"]


def case_probe_update(flow, offered, field, words, after=0):
    """after: bytes the server sends behind the announced download, which are no part of it."""
    exe_name = "ProbeUpdate%s%s%d.exe" % (field.capitalize(), "After" if after else "", os.getpid())
    server, folder, _ = case_update_accepted(flow, "accept-" + field, offered, field, flow.args.probe, exe_name,
                                             PROBE_TITLE, words, exe_name[:-4], after)
    lines = flow.log_lines(folder)
    check(lines[0].startswith("start windowed "), "first start %r" % lines[0])
    original = lines[0][len("start "):]
    check("close" in lines, "the first run was not closed by the update: %s" % lines)
    # The restarted program carries the flag and, after OriginalCLI=, the old command line as it was.
    check(wait_until(lambda: len([l for l in flow.log_lines(folder) if l.startswith("start")]) >= 2, 30),
          "the program was not started again: %s" % flow.log_lines(folder))
    restart = [l for l in flow.log_lines(folder) if l.startswith("start")][1]
    check(restart[len("start "):].lstrip(" ") == "-FromUpdater OriginalCLI=" + original,
          "restart command line %r after %r" % (restart, lines[0]))
    check(wait_until(lambda: flow.log_lines(folder)[-1:] == ["end"], 20), "the restarted program did not end")
    check_requests(server, ["/version", "/dl/%s" % field], exe_name[:-4])


def case_probe_declined(flow):
    exe_name = "ProbeDeclined%d.exe" % os.getpid()
    with TestHttpServer() as server:
        server.routes["/version"] = {"body": "%s=1.6,/dl/minor,/dl/major" % exe_name}
        folder = flow.make_folder("declined", flow.args.probe, exe_name, ini=flow.ini_for(server.port))
        process = flow.start(folder, exe_name, ["life=%d" % FIRST_LIFETIME_MS])
        rc, text, _ = flow.answer(PROMPT_CAPTION, "no")
        check(rc == 0 and text == prompt_text("1.6"), "prompt %r" % text)
        flow.wait_exit(process, EXIT_TIMEOUT_S)
        check(flow.log_lines(folder)[-2:] == ["checked", "end"],
              "the program did not keep running to the end of its update check: %s" % flow.log_lines(folder))
        check_requests(server, ["/version"], exe_name[:-4])
        check(not os.path.exists(flow.temp_file(exe_name)), "something was downloaded after No")


def case_probe_box(flow, name, with_updater, download_route, caption, expected_text):
    exe_name = "Probe%s%d.exe" % (name.replace("-", ""), os.getpid())
    with TestHttpServer() as server:
        server.routes["/version"] = {"body": "%s=1.6,/dl/minor,/dl/major" % exe_name}
        server.routes["/dl/minor"] = download_route
        folder = flow.make_folder(name, flow.args.probe, exe_name, with_updater=with_updater,
                                  ini=flow.ini_for(server.port))
        program = os.path.join(folder, exe_name)
        original = open(program, "rb").read()
        process = flow.start(folder, exe_name, ["life=%d" % FIRST_LIFETIME_MS])
        rc, _, _ = flow.answer(PROMPT_CAPTION, "yes")
        check(rc == 0, "no update prompt appeared")
        rc, text, owner = flow.answer(caption, "ok")
        check(rc == 0, "no box %r appeared" % caption)
        check(text == expected_text, "box text %r" % text)
        check(owner is None, "the box %r has an owner: %r" % (caption, owner))
        flow.wait_exit(process, EXIT_TIMEOUT_S)
        check(flow.log_lines(folder)[-2:] == ["checked", "end"],
              "the program did not keep running to the end of its update check: %s" % flow.log_lines(folder))
        check(open(program, "rb").read() == original, "the program file changed")
        check_requests(server, ["/version", "/dl/minor"], exe_name[:-4])
        temp = flow.temp_file(exe_name)
        if caption == "Couldn't get update":
            check(not os.path.exists(temp), "the failed download was left in %r" % temp)
        elif os.path.exists(temp):
            os.remove(temp)


def case_probe_quiet(flow, name, offered=None, words=None, ini="server", expect_requests=1):
    """No box at all: an offer that is not newer, the restart flag, or settings that name no server."""
    exe_name = "Probe%s%d.exe" % (name.replace("-", "").replace(".", ""), os.getpid())
    with TestHttpServer() as server:
        server.routes["/version"] = {"body": "%s=%s,/dl/minor,/dl/major" % (exe_name, offered)}
        text = flow.ini_for(server.port) if ini == "server" else ini
        folder = flow.make_folder(name, flow.args.probe, exe_name, ini=text)
        process = flow.start(folder, exe_name, words or ["life=%d" % FIRST_LIFETIME_MS])
        if expect_requests:
            check(server.wait_for_requests(expect_requests, 20), "the version was not asked for")
        rc, text, _ = flow.answer(PROMPT_CAPTION, "none", 3000)
        check(rc == 0, "an update prompt appeared: %r" % text)
        flow.wait_exit(process, EXIT_TIMEOUT_S)
        check(flow.log_lines(folder)[-2:] == ["checked", "end"],
              "the program did not keep running to the end of its update check: %s" % flow.log_lines(folder))
        requests, connections = server.snapshot()
        check(len(requests) == expect_requests, "%d requests, expected %d" % (len(requests), expect_requests))
        if not expect_requests:
            check(connections == 0, "%d connections, expected none" % connections)


def file_size(path):
    try:
        return os.path.getsize(path)
    except OSError:
        return -1


# A download the server stalls: this much of the announced body, then nothing, with the
# connection held open.
STALLED_SENT = 1000000
STALLED_ANNOUNCED = 4000000
# What a file writer may still hold in its own buffer rather than on disk.
WRITE_BUFFER_ALLOWANCE = 64 * 1024


def case_ended_midway(flow, name, ending, stage, program=None):
    """The program ends while its update check waits on the server: a silent server at the version
    request, or a download stalled after part of its body that the user said Yes to. The window
    still takes the close, the program ends, no download is left in the temporary folder and the
    program file is as it was. ending: "close" the window or "kill" the process."""
    source, title = (program, PROGRAM_TITLE) if program else (flow.args.probe, PROBE_TITLE)
    exe_name = "%s%s%d.exe" % ("newZorb" if program else "Probe", name.replace("-", ""), os.getpid())
    download_path = "/t/fill=%d+len=%d+stall/" % (STALLED_SENT, STALLED_ANNOUNCED)
    with TestHttpServer() as server:
        server.routes["/version"] = {"body": "%s=1.6,%s,/dl/major" % (exe_name, download_path)}
        version_path = "/t/raw+stall/" if stage == "silent" else "/version"
        folder = flow.make_folder(name, source, exe_name, ini=flow.ini_for(server.port, version_path))
        program_file = os.path.join(folder, exe_name)
        original = file_bytes(program_file)
        temp = flow.temp_file(exe_name)
        if os.path.exists(temp):
            os.remove(temp)

        process = flow.start(folder, exe_name, ["windowed", "life=%d" % FIRST_LIFETIME_MS])
        if stage == "silent":
            check(server.wait_for_requests(1, 30), "the version was not asked for")
        else:
            rc, _, _ = flow.answer(PROMPT_CAPTION, "yes")
            check(rc == 0, "no update prompt appeared")
            begun = wait_until(lambda: file_size(temp) >= STALLED_SENT - WRITE_BUFFER_ALLOWANCE, 60)
            check(begun, "the download %r never held what was sent: %d bytes" % (temp, file_size(temp)))
        if ending == "close":
            check(flow.close_window(title, 30000, program_file) == 0, "the window was not there to close")
        else:
            process.kill()
        flow.wait_exit(process, EXIT_TIMEOUT_S)
        if ending == "close" and not program:
            check(flow.log_lines(folder)[-2:] == ["close", "end"],
                  "the window did not close the program: %s" % flow.log_lines(folder))
        # The system removes the file as it closes the ended process's handles; the wait only
        # covers one that reports the end before it is done.
        gone = wait_until(lambda: not os.path.exists(temp), 30)
        check(gone, "the unfinished download was left in %r with %d bytes" % (temp, file_size(temp)))
        check(file_bytes(program_file) == original, "the program file changed")
        expected = ["/t/raw+stall/"] if stage == "silent" else ["/version", download_path]
        requests, _ = server.snapshot()
        check([r["path"] for r in requests] == expected, "requests %s" % [r["path"] for r in requests])


def case_real_program(flow):
    exe_name = "newZorb.exe"
    server, folder, _ = case_update_accepted(flow, "program", "2.0", "major", flow.args.program, exe_name,
                                             PROGRAM_TITLE, ["windowed"], "newZorb")
    # The restarted program opens its window again ("windowed" came back as OriginalCLI) and
    # makes no further request; closing it ends the case.
    check(flow.close_window(PROGRAM_TITLE, 30000, os.path.join(folder, exe_name)) == 0,
          "the program was not started again")
    time.sleep(2)
    check_requests(server, ["/version", "/dl/major"], "newZorb")


def main():
    parser = argparse.ArgumentParser()
    for name in ("wine", "probe", "updater", "answer"):
        parser.add_argument("--" + name, required=True)
    parser.add_argument("--program")
    parser.add_argument("--only", help="run only the cases whose name holds this text")
    args = parser.parse_args()

    base = tempfile.mkdtemp(prefix="zorb-flow-")
    flow = Flow(args, base)
    cases = [
        ("accept minor 1.6", lambda: case_probe_update(flow, "1.6", "minor", USER_WORDS)),
        ("accept major 2.0", lambda: case_probe_update(flow, "2.0", "major", ["windowed", "extra=1"])),
        ("accept, 1 MB after the download",
         lambda: case_probe_update(flow, "1.6", "minor", ["windowed", "extra=1"], after=1000000)),
        ("decline", lambda: case_probe_declined(flow)),
        ("download fails", lambda: case_probe_box(flow, "download-fails", True, {"status": 404},
                                                  "Couldn't get update", DOWNLOAD_FAILED_TEXT)),
        ("updater missing", lambda: case_probe_box(flow, "updater-missing", False, {"body": "new program"},
                                                   "Error Updating", LAUNCH_FAILED_TEXT)),
        ("download cut short", lambda: case_probe_box(
            flow, "short-download", True, {"body": "MZ\x90\x00\x03\x00\x00\x00", "length": 5000000, "close": True},
            "Couldn't get update", DOWNLOAD_FAILED_TEXT)),
        ("closed during a download", lambda: case_ended_midway(flow, "closed-download", "close", "download")),
        ("killed during a download", lambda: case_ended_midway(flow, "killed-download", "kill", "download")),
        ("closed while the server is silent", lambda: case_ended_midway(flow, "closed-silent", "close", "silent")),
        ("offered 1.10", lambda: case_probe_quiet(flow, "offer-1.10", offered="1.10")),
        ("offered 1.5", lambda: case_probe_quiet(flow, "offer-1.5", offered="1.5")),
        ("offered lines of text", lambda: case_probe_quiet(flow, "offer-text", offered="1.6\n\nVisit\tus")),
        ("restarted with -FromUpdater", lambda: case_probe_quiet(
            flow, "from-updater", offered="1.6", words=["-fromUPDATER", "windowed"], expect_requests=0)),
        ("no Updater.ini", lambda: case_probe_quiet(flow, "no-ini", offered="1.6", ini=None, expect_requests=0)),
        ("Host too long", lambda: case_probe_quiet(
            flow, "long-host", offered="1.6", ini="[HostInfo]\nHost=%s\nPath=/version\n" % ("h" * 1500),
            expect_requests=0)),
    ]
    if args.program:
        cases += [
            ("real program", lambda: case_real_program(flow)),
            ("real program closed during a download",
             lambda: case_ended_midway(flow, "program-closed-download", "close", "download", args.program)),
            ("real program closed while the server is silent",
             lambda: case_ended_midway(flow, "program-closed-silent", "close", "silent", args.program)),
        ]

    failed = 0
    passed = 0
    for name, run in cases:
        if args.only and args.only not in name:
            continue
        started = time.monotonic()
        try:
            run()
            passed += 1
            print("ok     %-50s %5.1f s" % (name, time.monotonic() - started))
        except Exception as error:  # noqa: BLE001 - every case reports, then the next runs
            failed += 1
            print("FAILED %-50s %s" % (name, error))
            if not isinstance(error, CaseFailed):
                traceback.print_exc()
        flow.end_started()
        sys.stdout.flush()
    shutil.rmtree(base, ignore_errors=True)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
