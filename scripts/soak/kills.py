"""Kills while the cfg file is rewritten: the host is killed at random moments of a script whose
lines nearly all rewrite the cfg file, from both threads and across reloads; a file that is
there must be whole and hold values the script gave, and the next clean run must read it back
and tidy what a kill left. Half the kills hit a cfg file with a second hard link, which is
rewritten in place: it must stay whole too, and the link must keep showing it."""

import os
import random
import shutil
import signal
import subprocess
import tempfile
import time

from .cfgfiles import read_cfg, whole_cfg_problem
from .host import first_lines, temporaries


def kill_script(lines=1500):
    """Settings changed in a loop from both threads, with writeconfig and reloads: nearly
    every line rewrites the cfg file. pp_requeue_delay counts up, so a whole file can only
    hold one of the values the script gave."""
    script = ["sim_wait 0.2"]
    for number in range(1, lines + 1):
        script.append("pp_requeue_delay %d" % number)
        if number % 40 == 0:
            script += ["sim_render on 500", "sim_render_do pp_mode custom", "sim_render_do pp_toggle",
                       "pp_wait_mmr %d" % (number // 40 % 2), "sim_render_do pp_mode freeplay", "sim_render off"]
        if number % 25 == 0:
            script.append("writeconfig")
        if number % 300 == 0:
            script += ["sim_reload", "sim_wait 0.2"]
    return script, lines


# The value the clean run after the first half of the kills leaves in the file: a kill in the
# second half that comes before the first write finds it still there.
AFTER_KILLS = "4242"


def killed_file_problem(data, top):
    """Why the cfg file a kill left is not acceptable (empty when it is)."""
    problem, values = whole_cfg_problem(data)
    if not problem:
        delay = values["pp_requeue_delay"]
        if not (delay in ("0", AFTER_KILLS) or (delay.isdigit() and 1 <= int(delay) <= top)):
            problem = "pp_requeue_delay \"%s\" was never set" % delay
        elif values["pp_mode"] not in ("freeplay", "custom"):
            problem = "pp_mode \"%s\" was never set" % values["pp_mode"]
    return problem


LINK = "Postplay-link.cfg"    # the cfg file's second name, in the working folder


def link_problem(cfg_file, link):
    """Why the cfg file's second hard link no longer shows it (empty when it does)."""
    if not os.path.exists(link) or not os.path.exists(cfg_file):
        return "the cfg file or its hard link is gone"
    if not os.path.samefile(cfg_file, link):
        return "the hard link no longer names the cfg file"
    return ""


def kill_runs(command, work, numbers, rng, whole_run, top, link=None):
    """Kills the host once for each of `numbers`; returns (the broken files, the temporaries
    seen left). With `link`, the cfg file has that second hard link, which must stay."""
    cfg_dir = os.path.join(work, "home", "cfg")
    cfg_file = os.path.join(cfg_dir, "Postplay.cfg")
    broken = []
    leftovers_seen = 0
    for number in numbers:
        process = subprocess.Popen(command, cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(rng.uniform(0.0, whole_run * 1.1))
        process.send_signal(signal.SIGKILL)
        process.wait()
        data = read_cfg(cfg_file)
        if link and link_problem(cfg_file, link):
            broken.append("kill %d: %s" % (number, link_problem(cfg_file, link)))
        if data is not None:
            problem = killed_file_problem(data, top)
            if problem:
                broken.append("kill %d: %s" % (number, problem))
                keep = os.path.join(work, "broken-%d.cfg" % number)
                shutil.copyfile(cfg_file, keep)
                print("kill %d left a broken cfg file (%s); kept as %s" % (number, problem, keep), flush=True)
        leftovers_seen += len(temporaries(cfg_dir)) if os.path.isdir(cfg_dir) else 0
    return broken, leftovers_seen


def run_after_kills(host, command, work):
    """A clean run after the kills reads the last file back and tidies the leftovers; returns
    what went wrong."""
    cfg_dir = os.path.join(work, "home", "cfg")
    cfg_file = os.path.join(cfg_dir, "Postplay.cfg")
    broken = []
    with open(os.path.join(work, "after.pp"), "w") as out:
        out.write("sim_wait 0.2\npp_requeue_delay\npp_requeue_delay %s\n" % AFTER_KILLS)
    before = read_cfg(cfg_file)
    done = subprocess.run(command[:-1] + ["after.pp"], cwd=work, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=host.timeout)
    out = done.stdout.decode("utf-8", "surrogateescape")
    if done.returncode != 0 or done.stderr.strip():
        broken.append("the run after the kills failed: status %d, %s" % (done.returncode, first_lines(
            done.stderr.decode("utf-8", "surrogateescape"))))
    elif before is not None:
        held = whole_cfg_problem(before)[1]["pp_requeue_delay"] if not whole_cfg_problem(before)[0] else None
        if held is not None and '] pp_requeue_delay "%s"' % held not in out:
            broken.append("the run after the kills did not load pp_requeue_delay \"%s\" from the file" % held)
    after = whole_cfg_problem(read_cfg(cfg_file))
    if after[0] or after[1]["pp_requeue_delay"] != AFTER_KILLS:
        broken.append("the run after the kills did not write a whole file: %s" % (after[0] or after[1]))
    left = temporaries(cfg_dir)
    if left:
        broken.append("temporary files outlived the next write: %s" % left)
    return broken


def kills(host, count, seed):
    rng = random.Random(seed)
    work = tempfile.mkdtemp(prefix="soak-kills-")
    lines, top = kill_script()
    with open(os.path.join(work, "kill.pp"), "w") as out:
        out.write("\n".join(lines) + "\n")
    command = host.runner + [host.path, "--home", "home", "kill.pp"]

    started = time.time()
    subprocess.run(command, cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=host.timeout)
    whole_run = max(0.05, time.time() - started)
    shutil.rmtree(os.path.join(work, "home"))

    start = time.time()
    half = count // 2
    broken, leftovers_seen = kill_runs(command, work, range(1, half + 1), rng, whole_run, top)
    broken += run_after_kills(host, command, work)
    link = os.path.join(work, LINK)
    os.link(os.path.join(work, "home", "cfg", "Postplay.cfg"), link)
    in_place, leftovers = kill_runs(command, work, range(half + 1, count + 1), rng, whole_run, top, link)
    broken += in_place + run_after_kills(host, command, work)
    leftovers_seen += leftovers
    if not link_problem(os.path.join(work, "home", "cfg", "Postplay.cfg"), link) and \
            read_cfg(link) != read_cfg(os.path.join(work, "home", "cfg", "Postplay.cfg")):
        broken.append("the hard link shows other text than the cfg file")
    for problem in broken:
        print(problem)
    print("kills: each within %.2f s of a %.2f s run of %d lines, %d of them on a cfg file with a second hard link; "
          "%d temporaries seen left by a kill (removed by the next write); %.0f s in all" % (
              whole_run * 1.1, whole_run, len(lines), count - half, leftovers_seen, time.time() - start))
    print("kills: %d run, %d broken files" % (count, len(broken)), flush=True)
    if not broken:
        shutil.rmtree(work, ignore_errors=True)
    return not broken
