// The window at 900x600 after a ranked match (README picture): the page scrolls in its
// panel, the game panel's rows wrap, and so do long console lines.
sim_wait 1
pp_wait_mmr 1; pp_requeue 1; pp_requeue_delay 5; pp_mode freeplay
sim_match 11
sim_wait 3
sim_end 0
sim_wait 1
sim_mmr
sim_wait 6
