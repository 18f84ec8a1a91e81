// The end of a competitive match with the wait for the MMR update on: the two match-end
// signals change nothing, the MMR update takes the player to free play at once, and the
// search starts 5 seconds after that decision.
sim_wait 1
pp_wait_mmr 1
pp_requeue_delay 5
pp_mode freeplay
sim_match 11
sim_wait 2
sim_end 0
sim_wait 1
sim_status
sim_mmr
sim_status
sim_mmr                     // the match is left: a later update changes nothing
sim_wait 4
sim_status
sim_wait 1
sim_status
