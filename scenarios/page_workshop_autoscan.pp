// The workshop folder comes back with the stored settings after a reload, too late for the
// start-up scan. The page scans it by itself the first time it draws the workshop panel,
// which drops a stored map that is no longer there, and never again while the library
// stays loaded.
sim_wait 1
sim_file maps\Stadium\stadium.upk
pp_workshop_maps_folder maps
pp_workshop_map Gone\gone.upk
sim_reload
sim_wait 1
// Free play: the workshop panel is not drawn, so nothing is scanned yet.
sim_frame
pp_mode workshop
sim_frame
sim_frame 3
pp_workshop_map
// A reload keeps the library loaded: the automatic scan stays used up.
sim_reload
sim_wait 1
sim_frame 2
