"""Workshop folders that fight back, with real files: a map's folder that is a link to itself or
cannot be read, names that are not UTF-8 or hold control bytes, a folder emptied, renamed or
deleted while the scan runs, 100,000 entries, and an unload while a scan runs. Each run must
end in time without a crash or an exception at the plug-in's edge, print no raw control byte,
keep a selected map that is still there, and give only the lines the scan and the match end
give."""

import os
import shutil
import tempfile
import threading
import time
from dataclasses import dataclass
from typing import Callable, Optional

from .host import REPORT, TIMED, entry_failure, first_lines, output_lines

SELECTED = os.path.join("Beta", "beta.upk")
NOBODY = 65534
SETUP = "pp_workshop_maps_folder maps\npp_workshop_map \"Beta\\beta.upk\"\npp_mode workshop\npp_wait_mmr 0\n"
SCAN = "sim_wait 0.2\n" + SETUP + "pp_find_workshop_maps\npp_workshop_map\nsim_match 11\nsim_end 0\nsim_status\n"
# The odd map chosen: its name reaches the lines of the selection, the loader and the echo.
ODD_MAP = "Odd\udcff\x1b[2J\tname\\o\x1b[31md\r.upk"
ODD = SCAN.replace('pp_workshop_map "Beta\\beta.upk"', 'pp_workshop_map "%s"' % ODD_MAP)
# The scan is asked for on the page's thread and the plug-in reloaded while it may still run.
RELOAD = ("sim_wait 0.2\n" + SETUP + "sim_render on 120\nsim_render_do pp_find_workshop_maps\nsim_reload\n"
          "sim_render off\nsim_wait 0.2\npp_find_workshop_maps\npp_workshop_map\n")
KNOWN = ("No valid workshop maps found in folder: ", "Workshop maps folder could not be read",
         "The folder could not be read: ", "Selected workshop map is not valid anymore",
         "Workshop map scan of ", "Invalid workshop maps folder or map", "Entered ", "Match ended",
         "Workshop map path cannot be used in a console command: ", "game: ", "pp_workshop_map ",
         "Searching for a match", "No workshop map selected",
         "PersistentStorage: ", "Localization initialized", "Updated locale", "> ")


@dataclass
class FolderCase:
    name: str
    prepare: Callable                       # makes the folder, in the working folder's home
    script: str = SCAN
    meddle: Optional[Callable] = None       # changes the folder while the host runs
    seconds: float = 60.0                   # the whole run must end within this
    as_nobody: bool = False                 # root reads what permissions forbid: run as nobody


def maps_folder(work):
    return os.path.join(work, "home", "maps")


def add_maps(work, count=3, first=0):
    for number in range(first, first + count):
        name = ["Alpha", "Beta", "Gamma"][number] if number < 3 else "Map%06d" % number
        os.makedirs(os.path.join(maps_folder(work), name), exist_ok=True)
        open(os.path.join(maps_folder(work), name, name.lower() + ".upk"), "w").close()


def loop_inside(work):
    add_maps(work)
    os.symlink("Loop", os.path.join(maps_folder(work), "Loop"))


def unreadable_inside(work):
    add_maps(work)
    locked = os.path.join(maps_folder(work), "Locked")
    os.makedirs(locked)
    open(os.path.join(locked, "locked.upk"), "w").close()
    os.chmod(locked, 0)


def odd_names(work):
    add_maps(work)
    odd = os.path.join(maps_folder(work).encode(), b"Odd\xff\x1b[2J\tname")
    os.makedirs(odd)
    open(os.path.join(odd, b"o\x1b[31md\r.upk"), "w").close()


def many_entries(work):
    add_maps(work)
    folder = maps_folder(work)
    for number in range(100000):
        open(os.path.join(folder, "entry%06d" % number), "w").close()


def many_maps(work):
    add_maps(work)
    add_maps(work, 4000, 3)


def empty_all_but_selected(work):
    folder = maps_folder(work)
    for name in os.listdir(folder):
        if name != "Beta":
            shutil.rmtree(os.path.join(folder, name), ignore_errors=True)


def rename_folder(work):
    os.rename(maps_folder(work), maps_folder(work) + "-moved")


def delete_folder(work):
    shutil.rmtree(maps_folder(work), ignore_errors=True)


def cases():
    return [
        FolderCase("a map's folder is a link to itself", loop_inside),
        FolderCase("a map's folder cannot be read", unreadable_inside, as_nobody=True),
        FolderCase("names that are not UTF-8 and hold control bytes", odd_names, script=ODD),
        FolderCase("100,000 entries", many_entries),
        FolderCase("100,000 entries, unloaded while the scan may run", many_entries, script=RELOAD),
        FolderCase("emptied but for the selected map while the scan runs", many_maps, meddle=empty_all_but_selected),
        FolderCase("renamed while the scan runs", many_maps, meddle=rename_folder),
        FolderCase("deleted while the scan runs", many_maps, meddle=delete_folder),
    ]


def run_case(host, case):
    """Runs one case; returns its problems and the scan's lines."""
    work = tempfile.mkdtemp(prefix="soak-folder-")
    os.makedirs(os.path.join(work, "home"))
    case.prepare(work)
    with open(os.path.join(work, "case.pp"), "w", encoding="utf-8", errors="surrogateescape") as out:
        out.write(case.script)
    meddler = None
    if case.meddle:
        meddler = threading.Timer(0.05, case.meddle, args=(work,))
        meddler.start()
    prefix = program = extra_env = None
    if case.as_nobody and os.geteuid() == 0:
        prefix = ["setpriv", "--reuid=%d" % NOBODY, "--regid=%d" % NOBODY, "--clear-groups"]
        program, extra_env = copy_for_nobody(host, work)
        for root, folders, files in os.walk(work):
            for name in folders + files + ([""] if root == work else []):
                os.lchown(os.path.join(root, name), NOBODY, NOBODY)
        os.chmod(work, 0o755)
    started = time.time()
    code, out, err = host.run(work, "case.pp", prefix=prefix, program=program, extra_env=extra_env)
    took = time.time() - started
    if meddler:
        meddler.join()
    problems = outcome_problems(case, work, code, out, err, took)
    if problems:
        problems.append("files kept in %s; transcript:\n%s" % (work, first_lines(out, 60)))
    else:
        make_removable(work)
        shutil.rmtree(work, ignore_errors=True)
    lines = [TIMED.fullmatch(line).group(2) for line in output_lines(out) if TIMED.fullmatch(line)]
    return problems, [line for line in lines if line.startswith(KNOWN[:5])]


def copy_for_nobody(host, work):
    """Copies the host and its libraries into the work folder: nobody may not reach the build tree
    (a clone in a private temporary folder). Returns the copy's path and the environment that finds
    its libraries."""
    build = os.path.dirname(os.path.abspath(host.path))
    copies = os.path.join(work, "bin")
    os.makedirs(copies)
    for name in [os.path.basename(host.path)] + [n for n in os.listdir(build) if n.endswith(".so")]:
        shutil.copy2(os.path.join(build, name), copies)
    return os.path.join(copies, os.path.basename(host.path)), {"LD_LIBRARY_PATH": copies}


def outcome_problems(case, work, code, out, err, took):
    problems = []
    if code != 0 or err.strip() or REPORT.search(out):
        problems.append("the host failed: status %s, %s" % (code, first_lines(err)))
    if took > case.seconds:
        problems.append("the run took %.1f s, more than %.0f s" % (took, case.seconds))
    raw = sorted({"%02x" % ord(c) for c in out if (ord(c) < 0x20 and c != "\n") or ord(c) == 0x7f})
    if raw:
        problems.append("control bytes reached the output raw: %s" % raw)
    lines = [TIMED.fullmatch(line).group(2) if TIMED.fullmatch(line) else line for line in output_lines(out)]
    problems += ["an exception reached the plug-in's edge: %s" % line for line in lines if entry_failure(line)]
    problems += ["a line no scan gives: %s" % line for line in lines if not line.startswith(KNOWN)]
    still_there = os.path.isfile(os.path.join(maps_folder(work), SELECTED))
    if still_there and any(line.startswith("Selected workshop map is not valid") for line in lines):
        problems.append("the selected map, still in the folder, was reset")
    return problems


def make_removable(work):
    for root, folders, _ in os.walk(work):
        for folder in folders:
            path = os.path.join(root, folder)
            if not os.path.islink(path):
                os.chmod(path, 0o755)


def folder_faults(host):
    """Runs every case; prints one line each; returns (cases run, cases mishandled)."""
    run = failed = 0
    for case in cases():
        if case.as_nobody and os.geteuid() == 0 and not shutil.which("setpriv"):
            print("folder: %s -> skipped: running as nobody needs setpriv" % case.name)
            continue
        problems, lines = run_case(host, case)
        print("folder: %s -> %s" % (case.name, " | ".join(sorted(set(lines))) or "(no scan line)"))
        for problem in problems:
            print("  FAILED: " + problem)
        run += 1
        failed += 1 if problems else 0
    return run, failed
