// The window at 900x600 after a ranked match (README picture): the page takes the window's
// width, the game panel and the console share the room below it.
sim_wait 1
clear                       // the console starts here: no lines about the home folder
pp_wait_mmr 1; pp_requeue 1; pp_requeue_delay 5; pp_mode freeplay
sim_match 11
sim_wait 3
sim_end 0
sim_wait 1
sim_mmr
sim_wait 6
