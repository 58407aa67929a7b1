"""Runs one Windows test program against a fresh TestHttpServer on 127.0.0.1.

usage: run_with_server.py <emulator> <program> [arguments...]
The program finds the server's port in the environment variable ZORB_TEST_SERVER_PORT.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from test_http_server import TestHttpServer  # noqa: E402

TIME_LIMIT = 240


def main():
    emulator, program, arguments = sys.argv[1], sys.argv[2], sys.argv[3:]
    with TestHttpServer(lifetime=TIME_LIMIT + 10) as server:
        env = dict(os.environ, ZORB_TEST_SERVER_PORT=str(server.port))
        try:
            result = subprocess.run([emulator, program] + arguments, env=env, timeout=TIME_LIMIT)
        except subprocess.TimeoutExpired:
            print("run_with_server: %s did not finish in %d s" % (program, TIME_LIMIT))
            return 1
        return result.returncode


if __name__ == "__main__":
    sys.exit(main())
