"""File-system faults: the cfg writes and the workshop scan fail through the fault library
(tests/support/FileSystemShim.c, put in front of the C library) and through real link loops,
over-long names, a read-only file and a folder in the file's place. Each failure must give one
log line that says why, keep the previous file, and raise nothing into the host. Files that
must be saved in place (a second hard link, a read-only cfg folder) or keep another owner are
saved, and stay what they were."""

import os
import re
import shutil
import tempfile
from dataclasses import dataclass
from typing import Callable, Optional

from .cfgfiles import read_cfg, whole_cfg_problem
from .folders import folder_faults
from .host import TIMED, entry_failure, first_lines, output_lines, temporaries

ERRNOS = {"ENOSPC": "No space left on device", "EACCES": "Permission denied",
          "ELOOP": "Too many levels of symbolic links", "ENAMETOOLONG": "File name too long"}
WRITE_FAILED = "PersistentStorage: could not write "
SCAN_LINES = ("No valid workshop maps found in folder: ", "Workshop maps folder could not be read",
              "Workshop maps folder is not set")
SCAN_REASON = "The folder could not be read: "


NOBODY = 65534
CFG_LINK = "Postplay-link.cfg"    # a second name of the cfg file, in the working folder


@dataclass
class FaultCase:
    name: str
    kind: str                               # "storage" or "scan"
    fault: Optional[str] = None             # FS_SHIM_FAULT for the shim, or None for a real fault
    prepare: Optional[Callable] = None      # makes a real fault in the working folder
    reason: Optional[str] = None            # what the log line must say
    saved: Optional[Callable] = None        # storage cases the file must be saved through: checks what
                                            # was kept of it (work, its os.stat before), returns problems
    needs_root: bool = False

def cfg_path(work):
    return os.path.join(work, "home", "cfg", "Postplay.cfg")


def cfg_hard_link(work):
    os.link(cfg_path(work), os.path.join(work, CFG_LINK))


def cfg_of_nobody(work):
    os.chown(cfg_path(work), NOBODY, NOBODY)


def link_shows_the_file(work, before):
    link = os.path.join(work, CFG_LINK)
    if not os.path.samefile(cfg_path(work), link) or read_cfg(link) != read_cfg(cfg_path(work)):
        return ["the hard link no longer shows the cfg file"]
    return []


def same_file(work, before):
    return [] if os.stat(cfg_path(work)).st_ino == before.st_ino else ["the cfg file was replaced by a new one"]


def owner_kept(work, before):
    now = os.stat(cfg_path(work))
    if (now.st_uid, now.st_gid, now.st_mode) != (before.st_uid, before.st_gid, before.st_mode):
        return ["the cfg file's owner, group or mode changed: %d:%d %o, was %d:%d %o" % (
            now.st_uid, now.st_gid, now.st_mode, before.st_uid, before.st_gid, before.st_mode)]
    return []


def storage_fault_cases():
    """Faults in the cfg writes that the player's file must survive as it was, and files that
    must still be saved though a new file would not keep them as the player made them."""
    return [
        FaultCase("cfg write, syncing it: EIO", "storage", "sync:EIO:Postplay.cfg", reason="Input/output error"),
        FaultCase("hard-linked cfg file, syncing it in place: EIO", "storage", "sync:EIO:Postplay.cfg",
                  prepare=cfg_hard_link, reason="Input/output error"),
        FaultCase("hard-linked cfg file (real)", "storage", prepare=cfg_hard_link,
                  saved=lambda work, before: link_shows_the_file(work, before) + same_file(work, before)),
        FaultCase("writable cfg file in a read-only cfg folder: EACCES", "storage", "create:EACCES:Postplay.cfg.",
                  saved=same_file),
        FaultCase("cfg file of another owner (real)", "storage", prepare=cfg_of_nobody, saved=owner_kept,
                  needs_root=True),
        FaultCase("cfg file of another owner, who cannot be given a new file: EPERM", "storage",
                  "chown:EPERM:Postplay.cfg", prepare=cfg_of_nobody,
                  saved=lambda work, before: owner_kept(work, before) + same_file(work, before), needs_root=True),
    ]



def cfg_link_loop(work):
    cfg = os.path.join(work, "home", "cfg", "Postplay.cfg")
    os.remove(cfg)
    os.symlink("Postplay.cfg", cfg)


def cfg_read_only(work):
    os.chmod(os.path.join(work, "home", "cfg", "Postplay.cfg"), 0o444)


def cfg_folder(work):
    cfg = os.path.join(work, "home", "cfg", "Postplay.cfg")
    os.remove(cfg)
    os.mkdir(cfg)


def maps_link_loop(work):
    shutil.rmtree(os.path.join(work, "home", "maps"))
    os.symlink("maps", os.path.join(work, "home", "maps"))


def maps_long_name(work):
    # The folder setting names a path whose last part is longer than a name can be.
    with open(os.path.join(work, "home", "cfg", "Postplay.cfg"), "r+") as cfg:
        text = cfg.read().replace('pp_workshop_maps_folder "maps"', 'pp_workshop_maps_folder "%s"' % ("n" * 300))
        cfg.seek(0)
        cfg.write(text)
        cfg.truncate()


def fault_cases():
    cases = []
    for errno_name, reason in ERRNOS.items():
        for call, what in (("create", "creating the temporary file"), ("write", "writing it"),
                           ("rename", "renaming it over the cfg file")):
            cases.append(FaultCase("cfg write, %s: %s" % (what, errno_name), "storage",
                                   "%s:%s:Postplay.cfg" % (call, errno_name), reason=reason))
        for call, text, what in (("opendir", "maps", "listing the folder"),
                                 ("opendir", "maps/Beta", "listing a map's folder"),
                                 ("stat", "maps", "the folder's status"),
                                 ("stat", "beta.upk", "the map file's status")):
            cases.append(FaultCase("workshop scan, %s: %s" % (what, errno_name), "scan",
                                   "%s:%s:%s" % (call, errno_name, text), reason=reason))
    cases += [
        FaultCase("cfg file is a link to itself (real)", "storage", prepare=cfg_link_loop,
                  reason="too many levels of symbolic links"),
        FaultCase("cfg file is read-only (real)", "storage", prepare=cfg_read_only, reason="read-only"),
        FaultCase("cfg file is a folder (real)", "storage", prepare=cfg_folder, reason="not a regular file"),
        FaultCase("workshop folder is a link to itself (real)", "scan", prepare=maps_link_loop,
                  reason="Too many levels of symbolic links"),
        FaultCase("workshop folder name too long (real)", "scan", prepare=maps_long_name, reason="File name too long"),
    ]
    return cases + storage_fault_cases()


STORAGE_SETUP = "sim_wait 0.2\npp_requeue_delay 3\npp_mode custom\n"
STORAGE_FAULT = "sim_wait 0.2\npp_requeue_delay 7\npp_requeue_delay\nwriteconfig\npp_toggle\n"
STORAGE_WRITES = 3
SCAN_SETUP = ("sim_wait 0.2\npp_workshop_maps_folder maps\npp_workshop_map \"Beta\\beta.upk\"\npp_mode workshop\n"
              "pp_wait_mmr 0\n")
SCAN_FAULT = ("sim_wait 0.2\npp_find_workshop_maps\npp_workshop_map\nsim_match 11\nsim_end 0\nsim_status\n")


def storage_outcome_problems(case, shown, cfg_file, before, before_status, work):
    """What is wrong with the cfg file and the failure lines after the storage fault run."""
    problems = []
    if case.saved:
        if shown:
            problems.append("a write that had to succeed gave failure lines: %s" % shown)
        problem, values = whole_cfg_problem(read_cfg(cfg_file))
        if problem or (values["pp_requeue_delay"], values["pp_enabled"]) != ("7", "0"):
            problems.append("the cfg file does not hold the new values: %s" % (problem or values))
        else:
            problems += case.saved(work, before_status)
        return problems
    # The same failure, repeated by every write of the run, is said once.
    if len(shown) != 1:
        problems.append("%d failing writes gave %d failure lines: %s" % (STORAGE_WRITES, len(shown), shown))
    if case.reason and any(case.reason.lower() not in line.lower() for line in shown):
        problems.append("a failure line does not say %r" % case.reason)
    if read_cfg(cfg_file) != before:
        problems.append("the previous cfg file was not kept as it was")
    return problems



def fault_work(case):
    """A working folder with the two scripts of the case, and a home folder below it with
    three maps (the host reads the workshop folder's text relative to its home)."""
    work = tempfile.mkdtemp(prefix="soak-fault-")
    for path in ("maps/Alpha/alpha.upk", "maps/Beta/beta.upk", "maps/Gamma/gamma.upk"):
        os.makedirs(os.path.join(work, "home", os.path.dirname(path)), exist_ok=True)
        open(os.path.join(work, "home", path), "w").close()
    with open(os.path.join(work, "setup.pp"), "w") as out:
        out.write(STORAGE_SETUP if case.kind == "storage" else SCAN_SETUP)
    with open(os.path.join(work, "fault.pp"), "w") as out:
        out.write(STORAGE_FAULT if case.kind == "storage" else SCAN_FAULT)
    return work


def fault_env(case, shim, fault_log):
    if not case.fault:
        return {}
    asan = os.environ.get("ASAN_OPTIONS", "")
    return {"LD_PRELOAD": shim, "FS_SHIM_FAULT": case.fault, "FS_SHIM_FAULT_LOG": fault_log,
            "ASAN_OPTIONS": (asan + ":" if asan else "") + "verify_asan_link_order=0"}


def run_fault(host, shim, case):
    """Runs one fault; returns (problems, the log lines the fault gave)."""
    work = fault_work(case)
    problems = []
    code, out, err = host.run(work, "setup.pp")
    if code != 0:
        return ["the setup run failed: %s" % err], []
    if case.prepare:
        case.prepare(work)
    cfg_file = cfg_path(work)
    before = read_cfg(cfg_file)
    before_status = os.stat(cfg_file) if os.path.isfile(cfg_file) else None
    was_link = os.path.islink(cfg_file)
    fault_log = os.path.join(work, "faults.log")
    code, out, err = host.run(work, "fault.pp", extra_env=fault_env(case, shim, fault_log))
    lines = [TIMED.fullmatch(line).group(2) if TIMED.fullmatch(line) else line for line in output_lines(out)]
    if code != 0 or err.strip():
        problems.append("the host failed: status %s, %s" % (code, first_lines(err)))
    if case.fault and not os.path.exists(fault_log):
        problems.append("the fault was never hit")
    bad = [line for line in lines if entry_failure(line)]
    if bad:
        problems.append("an exception reached the plug-in's edge: %s" % bad)
    if case.kind == "storage":
        shown = [line for line in lines if line.startswith(WRITE_FAILED)]
        problems += storage_outcome_problems(case, shown, cfg_file, before, before_status, work)
        storage_fault_problems(host, case, work, lines, was_link, problems)
    else:
        shown = [line for line in lines if line.startswith(SCAN_LINES) or line == "Invalid workshop maps folder or map"
                 or line.startswith("Selected workshop map")]
        problems += scan_fault_problems(case, lines, shown)
    if problems:
        problems.append("files kept in %s; transcript:\n%s" % (work, out))
    else:
        shutil.rmtree(work, ignore_errors=True)
    return problems, shown


def storage_fault_problems(host, case, work, lines, was_link, problems):
    """Adds to `problems` what is wrong around the cfg file after a storage fault run, and
    whether the next run without the fault reads the kept file and writes again."""
    cfg_file = cfg_path(work)
    if was_link != os.path.islink(cfg_file):
        problems.append("the cfg file's symbolic link was replaced")
    left = temporaries(os.path.dirname(cfg_file))
    if left:
        problems.append("temporary files were left: %s" % left)
    if 'pp_requeue_delay "7"' not in lines:
        problems.append("the variable did not keep the value that could not be saved")
    if case.fault and not problems:
        with open(os.path.join(work, "recover.pp"), "w") as recover:
            recover.write("sim_wait 0.2\npp_requeue_delay\npp_requeue_delay 9\n")
        code, again, err = host.run(work, "recover.pp")
        problem, values = whole_cfg_problem(read_cfg(cfg_file))
        held = "7" if case.saved else "3"
        if code != 0 or '] pp_requeue_delay "%s"' % held not in again or problem or \
                values["pp_requeue_delay"] != "9":
            problems.append("the run after the fault did not read the kept file and write a new one: %s" %
                            (problem or again))


def scan_fault_problems(case, lines, shown):
    """What is wrong with the lines of a scan fault run."""
    problems = []
    scan_lines = [line for line in shown if line.startswith(SCAN_LINES)]
    if not shown:
        problems.append("the fault gave no line")
    if len(scan_lines) > 1:
        problems.append("the scan gave %d lines: %s" % (len(scan_lines), scan_lines))
    # The system's reason is in the scan line, or on a line of its own right after it.
    said = " ".join(scan_lines[:1] + [line for line in lines if line.startswith(SCAN_REASON)])
    if scan_lines and case.reason and case.reason.lower() not in said.lower() \
            and not case.name.startswith("workshop scan, the map file"):
        problems.append("the scan lines do not say %r: %s" % (case.reason, said))
    if any(line.startswith("Selected workshop map") for line in shown):
        problems.append("a scan that failed reset the player's selected map")
    loaded = any(line.startswith("Entered workshop map ") for line in lines)
    refused = lines.count("Invalid workshop maps folder or map")
    if loaded == bool(refused) or refused > 1:
        problems.append("the match end neither loaded the map nor said once why not")
    return problems


def faults(host, shim):
    failed = 0
    skipped = 0
    cases = fault_cases()
    for case in cases:
        if case.needs_root and os.geteuid() != 0:
            print("fault: %s -> skipped: giving the cfg file to another user needs root" % case.name)
            skipped += 1
            continue
        problems, shown = run_fault(host, shim, case)
        lines = sorted(set(re.sub(r"[0-9a-f]{12}\.tmp", "XXXXXXXXXXXX.tmp", line) for line in shown))
        lines = [re.sub(r"(.)\1{19,}", lambda run: "%s...(%d times)" % (run.group(1), len(run.group(0))), line)
                 for line in lines]
        print("fault: %s -> %s" % (case.name, " | ".join(lines) if lines else "(no line)"))
        for problem in problems:
            print("  FAILED: " + problem)
        failed += 1 if problems else 0
    folders_run, folders_failed = folder_faults(host)
    print("faults: %d injected, %d mishandled" % (len(cases) - skipped + folders_run, failed + folders_failed),
          flush=True)
    return failed + folders_failed == 0


