"""Random sessions: each is generated from its seed, run through the host program and checked
against the model after every run."""

import os
import shutil
import sys
import tempfile
import time
from concurrent.futures import ThreadPoolExecutor

from .cfgfiles import apply_edit, read_cfg, whole_cfg_problem
from .generation import Generator
from .host import REPORT, first_lines, output_lines, temporaries
from .model import Break
from .tables import NAMES
from .transcript import SessionModel
from .values import ANY


def run_session(host, seed, keep=False, verbose=False):
    """Runs one session; returns (status, report) with status "ok", "break" or "crash"."""
    runs = Generator(seed).session()
    work = tempfile.mkdtemp(prefix="soak-%d-" % seed)
    home = os.path.join(work, "home")
    cfg_file = os.path.join(home, "cfg", "Postplay.cfg")
    model = SessionModel(home)
    log = []
    status, problem = "ok", ""
    try:
        for number, run in enumerate(runs, 1):
            note = "none"
            if run["edit"]:
                os.makedirs(os.path.dirname(cfg_file), exist_ok=True)
                note = apply_edit(run["edit"], cfg_file, home)
            script_name = "run%d.pp" % number
            with open(os.path.join(work, script_name), "w", encoding="utf-8", errors="surrogateescape") as out:
                out.write("".join(step.line + "\n" for step in run["steps"]))
            cfg_before = read_cfg(cfg_file)
            log.append((number, note, run["language"], run["steps"]))
            code, out, err = host.run(work, script_name, run["language"])
            log[-1] = log[-1] + (out, err)
            if verbose:
                print("---- run %d (cfg edit: %s, --language %s)" % (number, note, run["language"]))
                sys.stdout.write(out)
                sys.stdout.write(err)
            if code is None:
                status, problem = "crash", err
                break
            if code != 0 or REPORT.search(err):
                status, problem = "crash", "exit status %s; %s" % (code, first_lines(err))
                break
            if err.strip():
                status, problem = "break", "the host wrote to standard error: %s" % first_lines(err)
                break
            model.start_run(number, run["steps"], cfg_before, run["language"])
            try:
                model.check_run(output_lines(out))
                check_cfg_after(model, cfg_file, cfg_before, run["edit"])
            except Break as error:
                status, problem = "break", str(error)
                break
    finally:
        if status == "ok" and not keep:
            shutil.rmtree(work, ignore_errors=True)
    if status == "ok":
        return status, ""
    return status, failure_report(seed, problem, log, work)


def check_cfg_after(model, cfg_file, cfg_before, edit):
    data = read_cfg(cfg_file)
    target_dir = os.path.dirname(os.path.realpath(cfg_file))
    leftovers = temporaries(target_dir)
    if data == cfg_before and data is not None and whole_cfg_problem(data)[0]:
        # Nothing was written: the damaged file stays until the next write.
        if model.settings.must_write:
            raise Break("the settings changed but the damaged cfg file was never rewritten")
        return
    problem, values = whole_cfg_problem(data)
    if problem:
        if data is None and not model.settings.must_write:
            return
        raise Break("after run %d: %s" % (model.run_number, problem))
    for name in NAMES:
        held = model.settings.values[name]
        if held is ANY or len(held) != 1:
            raise Break("after run %d the model does not know %s (no print at the end?)" % (model.run_number, name))
        if values[name] != next(iter(held)):
            raise Break("after run %d the cfg file holds %s \"%s\" but the variable held %r" %
                        (model.run_number, name, values[name], next(iter(held))))
    if leftovers:
        raise Break("after run %d temporary files are left beside the cfg file: %s" % (model.run_number, leftovers))
    if edit and edit["kind"] == "symlink" and not os.path.islink(cfg_file):
        raise Break("the cfg file was a symbolic link and is no longer one")


def failure_report(seed, problem, log, work):
    parts = ["session %d failed: %s" % (seed, problem),
             "(replay: scripts/soak.sh --seed %d; files kept in %s)" % (seed, work)]
    for entry in log:
        number, note, language, steps = entry[:4]
        parts.append("--- run %d script (cfg edited before it: %s; --language %s):" % (number, note, language))
        parts.extend(step.line for step in steps)
        if len(entry) > 4:
            transcript = output_lines(entry[4])
            parts.append("--- run %d transcript, last lines:" % number)
            parts.extend(transcript[-40:])
    return "\n".join(parts)


def sessions(host, first, count, jobs):
    breaks = crashes = 0
    start = time.time()
    seeds = list(range(first, first + count))
    with ThreadPoolExecutor(max_workers=jobs) as pool:
        for seed, (status, report) in zip(seeds, pool.map(lambda s: run_session(host, s), seeds)):
            if status != "ok":
                print(report, flush=True)
                if status == "crash":
                    crashes += 1
                else:
                    breaks += 1
    print("%d sessions took %.0f s" % (count, time.time() - start))
    print("random sessions: %d run, %d invariant breaks, %d crashes" % (count, breaks, crashes), flush=True)
    return breaks + crashes == 0

