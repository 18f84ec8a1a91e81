// A short ranked session with Postplay in the simulated game. Every line is typed at
// the host's console; "//" starts a comment.

sim_wait 1                  // the plug-in loads its saved settings 0.1 s after start

// Settings: wait for the MMR update before leaving the match, go to free play, and
// start the search for the next match 10 seconds after the match was decided.
pp_wait_mmr 1
pp_mode freeplay
pp_requeue_delay 10

// A ranked 2v2 match (playlist 11) starts and runs for a while.
sim_match 11
sim_wait 3
sim_status

// The match ends and team 0 wins. The plug-in stays: the MMR update has not come yet.
sim_end 0
sim_wait 2
sim_status

// The game reports the MMR update: the plug-in takes the player to free play...
sim_mmr
sim_status

// ...and 10 seconds after that decision it starts the search for the next match.
sim_wait 10
sim_status

// The next ranked match is found (the search ends as it starts).
sim_match 11
sim_status
