// Values the plug-in cannot use are said once. A pack code that fails the check is not
// kept: the variable goes back to the code in use (none at first), from the console as
// from the page's thread, so the cfg file never holds it. Once a pack was loaded, the
// code in use is the upper-cased one. An unknown mode keeps its text and plays as free
// play; control characters in a refused text are written as escapes.
sim_wait 1
pp_wait_mmr 0
pp_requeue 0
pp_custom_training_pack_code hello
pp_custom_training_pack_code
pp_custom_training_pack_code abcd-1234-efgh-5678
pp_custom_training_pack_code "not a code"
pp_custom_training_pack_code
pp_mode custom
sim_match 13
sim_end 0
sim_render_do pp_custom_training_pack_code ABCD-12#4-EFGH-5678
pp_custom_training_pack_code
pp_mode "ban	ana"
pp_mode
sim_match 13
sim_end 0
sim_status
writeconfig
