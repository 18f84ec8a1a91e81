"""Reliability runs of postplay-host: random sessions checked against a small model, kills
while the cfg file is rewritten, and file-system faults. Only the standard library is used.

    python3 -m soak [N] [--first SEED] [--seed SEED] [--kills K] [--faults --shim LIB] [--host PATH] [--jobs J]

(with scripts/ on PYTHONPATH). N sessions (seeds FIRST .. FIRST+N-1) run by default; --seed
replays one session and prints its scripts and transcripts. scripts/soak.sh builds what this
needs and calls it.

A session (generation) is one to four runs of the host program on one home folder and one
working folder, with the cfg file edited or damaged between runs (cfgfiles). The model
(model, transcript) reads each transcript line by line and claims:

- the host exits with status 0, writes nothing to standard error and does not hang;
- a destination is loaded, or its failure logged, only after a match end or an MMR report
  that called for it (plug-in on, the playlist's kind on, for a match end the MMR wait off),
  at most once per game, with the command or log line the destination settings give; when
  the call was certain, the load does happen;
- a re-queue runs only when a decision taken solo or as party leader, with re-queue on, set
  it for that moment, by a plug-in object that was not unloaded since, never while a search
  runs; when it fires it looks again (plug-in and re-queue still on, no later online match
  entered since it was set); when all that is certain, it runs;
- every printed value is one the model allows; a pack code that fails the check never stays
  in the variable; a scan resets the selected map only when the folder holds maps and not
  that one;
- nothing runs that nobody asked for: every game change the host reports follows the command
  that causes it, the plug-in runs only its own commands, and no line says a command is
  unknown unless the script typed it;
- after each run the cfg file is whole (the twelve settings in byte order, each with its
  description), holds the values the variables ended with, and has no temporary beside it.

A cfg file damaged between runs is the player's file: the host runs its lines when the
plug-in loads it, so a line such as `pp_enabled "0"; queue` may set the value and start a
search right then, and the values it touches are read back rather than predicted. The model
claims that the plug-in's next write replaces the whole file, no more.

--kills K (kills) kills the host K times at random moments of a script that keeps rewriting
the cfg file; --faults (faults) makes the cfg writes and the workshop scan fail.
"""
