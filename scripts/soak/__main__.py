"""The command line: python3 -m soak (scripts/soak.sh passes --host, --shim and its own arguments)."""

import argparse
import os
import sys

from .faults import faults
from .host import Host
from .kills import kills
from .sessions import run_session, sessions


def arguments_parser():
    parser = argparse.ArgumentParser(prog="soak", description="Random sessions, kills and file-system faults "
                                                              "against postplay-host.")
    parser.add_argument("count", nargs="?", type=int, help="random sessions to run (default 100 when nothing "
                                                           "else is asked)")
    parser.add_argument("--first", type=int, default=1, help="seed of the first session (default 1)")
    parser.add_argument("--seed", type=int, help="replay one session and print its transcripts")
    parser.add_argument("--kills", type=int, default=0, help="kill the host this many times while it writes")
    parser.add_argument("--faults", action="store_true", help="inject file-system faults")
    parser.add_argument("--host", default="build/postplay-host", help="the host program")
    parser.add_argument("--shim", help="the fault library (tests/support/FileSystemShim.c built)")
    parser.add_argument("--jobs", type=int, default=2, help="hosts run at once (default 2)")
    parser.add_argument("--timeout", type=int, default=120, help="seconds one host run may take")
    return parser


def main():
    parser = arguments_parser()
    arguments = parser.parse_args()
    host = Host(os.path.abspath(arguments.host), arguments.timeout)
    if arguments.seed is not None:
        status, report = run_session(host, arguments.seed, keep=True, verbose=True)
        print(report or "session %d: no invariant break" % arguments.seed)
        return 0 if status == "ok" else 1
    count = arguments.count
    if count is None and not arguments.kills and not arguments.faults:
        count = 100
    good = True
    if arguments.faults:
        if not arguments.shim:
            parser.error("--faults needs --shim")
        good &= faults(host, os.path.abspath(arguments.shim))
    if arguments.kills:
        good &= kills(host, arguments.kills, arguments.first)
    if count:
        good &= sessions(host, arguments.first, count, arguments.jobs)
    return 0 if good else 1


if __name__ == "__main__":
    sys.exit(main())
