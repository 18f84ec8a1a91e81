// The end of a competitive match with the wait for the MMR update off: the first
// match-end signal loads the destination, the second only adds a re-queue timer. Both
// timers fall due 5 seconds later; the first starts the search, the second finds it
// running and does nothing.
sim_wait 1
pp_wait_mmr 0
pp_requeue_delay 5
sim_match 11
sim_wait 2
sim_end 0
sim_status
sim_wait 5
sim_status
sim_wait 5
sim_status
