// A workshop folder that does not exist: the first frame of the workshop panel says so on
// the console and leaves the list empty; later frames stay quiet, even once the folder
// exists, until a scan is asked for.
sim_wait 1
pp_mode workshop
pp_workshop_maps_folder maps
sim_frame
sim_frame 3
sim_file maps\Stadium\stadium.upk
sim_frame
pp_find_workshop_maps
