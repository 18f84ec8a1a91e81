// Settings survive a reload: they are written to cfg/Postplay.cfg on each change and
// read back 0.1 seconds after the plug-in loads. The toggle shows a toast each time.
sim_wait 1
pp_requeue_delay 12
plugin_language fr
pp_toggle
sim_reload
sim_wait 0.5
pp_requeue_delay
plugin_language
pp_enabled
pp_toggle
writeconfig
