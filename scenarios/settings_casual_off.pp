// Casual matches switched off: a casual match end leaves the player where they are,
// while a competitive one still goes to training.
sim_wait 1
pp_wait_mmr 0
pp_requeue 0
pp_enable_casual 0
sim_match 1
sim_end 0
sim_wait 1
sim_status
sim_match 10
sim_end 0
sim_status
