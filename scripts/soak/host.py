"""Running postplay-host and reading what it prints."""

import os
import re
import shutil
import subprocess

TIMED = re.compile(r"\[(-?\d+\.\d)\] (.*)")
REPORT = re.compile(r"ERROR: AddressSanitizer|ERROR: LeakSanitizer|runtime error:|WARNING: ThreadSanitizer|"
                    r"ERROR: ThreadSanitizer|SUMMARY: \w+Sanitizer")
CFG_TEMPORARY = re.compile(r"Postplay\.cfg\..*\.tmp")


class Host:
    def __init__(self, path, timeout):
        self.path = path
        self.timeout = timeout
        self.runner = []
        if os.environ.get("SOAK_NO_ASLR") and shutil.which("setarch"):
            self.runner = ["setarch", os.uname().machine, "-R"]

    def run(self, work, script, language=None, extra_env=None, prefix=None, program=None):
        command = (prefix or []) + self.runner + [program or self.path, "--home", "home"]
        if language:
            command += ["--language", language]
        command.append(script)
        env = dict(os.environ)
        env.update(extra_env or {})
        try:
            done = subprocess.run(command, cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  timeout=self.timeout, env=env)
        except subprocess.TimeoutExpired as expired:
            out = (expired.stdout or b"").decode("utf-8", "surrogateescape")
            return None, out, "the host did not finish within %d s" % self.timeout
        return (done.returncode, done.stdout.decode("utf-8", "surrogateescape"),
                done.stderr.decode("utf-8", "surrogateescape"))


def entry_failure(text):
    """A line saying that an exception reached the edge of the plug-in or of the host."""
    return text.startswith("Exception in plug-in code") or (text.startswith("Postplay: ") and " failed: " in text)


def output_lines(text):
    """The host's lines: split at line feeds only (values may hold other separators)."""
    lines = text.split("\n")
    return lines[:-1] if lines and lines[-1] == "" else lines


def first_lines(text, count=12):
    lines = text.strip().splitlines()
    return "\n".join(lines[:count]) + ("\n..." if len(lines) > count else "")


def temporaries(folder):
    """The cfg write's temporaries left in a folder."""
    return [name for name in os.listdir(folder) if CFG_TEMPORARY.fullmatch(name)]
