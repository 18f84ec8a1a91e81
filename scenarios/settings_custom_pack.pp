// A custom training pack as the destination. The code is typed in lower case; the
// match end loads it upper-cased. A code that fails the check afterwards is refused with
// one line and leaves the accepted one in place, so the next match end loads the same pack.
sim_wait 1
pp_wait_mmr 0
pp_requeue 0
pp_mode custom
pp_custom_training_pack_code abcd-1234-efgh-5678
sim_match 13
sim_end 1
sim_status
pp_custom_training_pack_code ABCD-12#4-EFGH-5678
sim_match 13
sim_end 0
sim_status
