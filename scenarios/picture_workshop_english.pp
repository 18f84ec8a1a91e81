// The settings page in English, workshop mode, with three maps found (README picture).
sim_wait 1
clear                       // the console starts here: no lines about the home folder
sim_dir maps
sim_file maps/Aerial Arena/aerial_arena.upk
sim_file maps/Dribble Course/dribble.upk
sim_file maps/Rings/rings.upk
pp_workshop_maps_folder maps
pp_mode workshop
pp_find_workshop_maps
pp_workshop_map "Dribble Course\dribble.upk"
pp_requeue_delay 90
