// The settings page in French, custom-training mode (README picture).
sim_wait 1
clear                       // the console starts here: no lines about the home folder
pp_mode custom
pp_custom_training_pack_code A1B2-C3D4-E5F6-0789
plugin_language FRA
