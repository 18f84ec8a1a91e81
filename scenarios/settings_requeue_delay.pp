// The re-queue delay: the search starts 7 seconds after the match was decided.
sim_wait 1
pp_wait_mmr 0
pp_requeue_delay 7
sim_match 10
sim_end 0
sim_wait 6.5
sim_status
sim_wait 1
sim_status
