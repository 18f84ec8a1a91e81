// A re-queue belongs to the match end that set it. With a delay of 10 seconds, the first
// match ends at 2.0 and sets its re-queue for 12.0; the player plays another match from
// 3.0 to 5.0, so at 12.0 nothing starts, and the search begins at 15.0, the full delay
// after the second match's end. Free play in between does not count as a match.
sim_wait 1
pp_wait_mmr 0
pp_requeue_delay 10
sim_match 11
sim_wait 1
sim_end 0
sim_wait 1
sim_match 11
sim_wait 2
sim_end 1
sim_wait 7
sim_status
sim_wait 3
sim_status
