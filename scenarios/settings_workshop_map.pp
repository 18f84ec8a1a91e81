// A workshop map as the destination: a folder with one sub-folder per map, a scan,
// a selected map, and the match end loads that map file.
sim_wait 1
sim_file maps\Stadium\stadium.upk
sim_file maps\Stadium\notes.txt
sim_file maps\loose.upk
sim_dir maps\Empty
pp_workshop_maps_folder maps
// A selection that differs from the found map (here only in case) is reset by the scan.
pp_workshop_map Stadium\STADIUM.upk
pp_find_workshop_maps
pp_workshop_map
pp_workshop_map Stadium\stadium.upk
pp_find_workshop_maps
pp_mode workshop
pp_wait_mmr 0
pp_requeue 0
sim_match 11
sim_end 0
sim_status
// The map disappears: the next scan finds nothing and keeps the selection for later.
sim_dir maps2
pp_workshop_maps_folder maps2
pp_find_workshop_maps
pp_workshop_map
