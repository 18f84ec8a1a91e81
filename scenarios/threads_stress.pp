// Two threads at once: the page draws continuously on the rendering thread while both
// threads change settings, scan a folder of 300 maps, switch the language, write the cfg
// file and reload the plug-in; then a match ends while the page draws. The transcript is
// compared from the settled part on; the cfg file must hold the last values.
sim_wait 1
sim_file maps/Map000/map000.upk
sim_file maps/Map001/map001.upk
sim_file maps/Map002/map002.upk
sim_file maps/Map003/map003.upk
sim_file maps/Map004/map004.upk
sim_file maps/Map005/map005.upk
sim_file maps/Map006/map006.upk
sim_file maps/Map007/map007.upk
sim_file maps/Map008/map008.upk
sim_file maps/Map009/map009.upk
sim_file maps/Map010/map010.upk
sim_file maps/Map011/map011.upk
sim_file maps/Map012/map012.upk
sim_file maps/Map013/map013.upk
sim_file maps/Map014/map014.upk
sim_file maps/Map015/map015.upk
sim_file maps/Map016/map016.upk
sim_file maps/Map017/map017.upk
sim_file maps/Map018/map018.upk
sim_file maps/Map019/map019.upk
sim_file maps/Map020/map020.upk
sim_file maps/Map021/map021.upk
sim_file maps/Map022/map022.upk
sim_file maps/Map023/map023.upk
sim_file maps/Map024/map024.upk
sim_file maps/Map025/map025.upk
sim_file maps/Map026/map026.upk
sim_file maps/Map027/map027.upk
sim_file maps/Map028/map028.upk
sim_file maps/Map029/map029.upk
sim_file maps/Map030/map030.upk
sim_file maps/Map031/map031.upk
sim_file maps/Map032/map032.upk
sim_file maps/Map033/map033.upk
sim_file maps/Map034/map034.upk
sim_file maps/Map035/map035.upk
sim_file maps/Map036/map036.upk
sim_file maps/Map037/map037.upk
sim_file maps/Map038/map038.upk
sim_file maps/Map039/map039.upk
sim_file maps/Map040/map040.upk
sim_file maps/Map041/map041.upk
sim_file maps/Map042/map042.upk
sim_file maps/Map043/map043.upk
sim_file maps/Map044/map044.upk
sim_file maps/Map045/map045.upk
sim_file maps/Map046/map046.upk
sim_file maps/Map047/map047.upk
sim_file maps/Map048/map048.upk
sim_file maps/Map049/map049.upk
sim_file maps/Map050/map050.upk
sim_file maps/Map051/map051.upk
sim_file maps/Map052/map052.upk
sim_file maps/Map053/map053.upk
sim_file maps/Map054/map054.upk
sim_file maps/Map055/map055.upk
sim_file maps/Map056/map056.upk
sim_file maps/Map057/map057.upk
sim_file maps/Map058/map058.upk
sim_file maps/Map059/map059.upk
sim_file maps/Map060/map060.upk
sim_file maps/Map061/map061.upk
sim_file maps/Map062/map062.upk
sim_file maps/Map063/map063.upk
sim_file maps/Map064/map064.upk
sim_file maps/Map065/map065.upk
sim_file maps/Map066/map066.upk
sim_file maps/Map067/map067.upk
sim_file maps/Map068/map068.upk
sim_file maps/Map069/map069.upk
sim_file maps/Map070/map070.upk
sim_file maps/Map071/map071.upk
sim_file maps/Map072/map072.upk
sim_file maps/Map073/map073.upk
sim_file maps/Map074/map074.upk
sim_file maps/Map075/map075.upk
sim_file maps/Map076/map076.upk
sim_file maps/Map077/map077.upk
sim_file maps/Map078/map078.upk
sim_file maps/Map079/map079.upk
sim_file maps/Map080/map080.upk
sim_file maps/Map081/map081.upk
sim_file maps/Map082/map082.upk
sim_file maps/Map083/map083.upk
sim_file maps/Map084/map084.upk
sim_file maps/Map085/map085.upk
sim_file maps/Map086/map086.upk
sim_file maps/Map087/map087.upk
sim_file maps/Map088/map088.upk
sim_file maps/Map089/map089.upk
sim_file maps/Map090/map090.upk
sim_file maps/Map091/map091.upk
sim_file maps/Map092/map092.upk
sim_file maps/Map093/map093.upk
sim_file maps/Map094/map094.upk
sim_file maps/Map095/map095.upk
sim_file maps/Map096/map096.upk
sim_file maps/Map097/map097.upk
sim_file maps/Map098/map098.upk
sim_file maps/Map099/map099.upk
sim_file maps/Map100/map100.upk
sim_file maps/Map101/map101.upk
sim_file maps/Map102/map102.upk
sim_file maps/Map103/map103.upk
sim_file maps/Map104/map104.upk
sim_file maps/Map105/map105.upk
sim_file maps/Map106/map106.upk
sim_file maps/Map107/map107.upk
sim_file maps/Map108/map108.upk
sim_file maps/Map109/map109.upk
sim_file maps/Map110/map110.upk
sim_file maps/Map111/map111.upk
sim_file maps/Map112/map112.upk
sim_file maps/Map113/map113.upk
sim_file maps/Map114/map114.upk
sim_file maps/Map115/map115.upk
sim_file maps/Map116/map116.upk
sim_file maps/Map117/map117.upk
sim_file maps/Map118/map118.upk
sim_file maps/Map119/map119.upk
sim_file maps/Map120/map120.upk
sim_file maps/Map121/map121.upk
sim_file maps/Map122/map122.upk
sim_file maps/Map123/map123.upk
sim_file maps/Map124/map124.upk
sim_file maps/Map125/map125.upk
sim_file maps/Map126/map126.upk
sim_file maps/Map127/map127.upk
sim_file maps/Map128/map128.upk
sim_file maps/Map129/map129.upk
sim_file maps/Map130/map130.upk
sim_file maps/Map131/map131.upk
sim_file maps/Map132/map132.upk
sim_file maps/Map133/map133.upk
sim_file maps/Map134/map134.upk
sim_file maps/Map135/map135.upk
sim_file maps/Map136/map136.upk
sim_file maps/Map137/map137.upk
sim_file maps/Map138/map138.upk
sim_file maps/Map139/map139.upk
sim_file maps/Map140/map140.upk
sim_file maps/Map141/map141.upk
sim_file maps/Map142/map142.upk
sim_file maps/Map143/map143.upk
sim_file maps/Map144/map144.upk
sim_file maps/Map145/map145.upk
sim_file maps/Map146/map146.upk
sim_file maps/Map147/map147.upk
sim_file maps/Map148/map148.upk
sim_file maps/Map149/map149.upk
sim_file maps/Map150/map150.upk
sim_file maps/Map151/map151.upk
sim_file maps/Map152/map152.upk
sim_file maps/Map153/map153.upk
sim_file maps/Map154/map154.upk
sim_file maps/Map155/map155.upk
sim_file maps/Map156/map156.upk
sim_file maps/Map157/map157.upk
sim_file maps/Map158/map158.upk
sim_file maps/Map159/map159.upk
sim_file maps/Map160/map160.upk
sim_file maps/Map161/map161.upk
sim_file maps/Map162/map162.upk
sim_file maps/Map163/map163.upk
sim_file maps/Map164/map164.upk
sim_file maps/Map165/map165.upk
sim_file maps/Map166/map166.upk
sim_file maps/Map167/map167.upk
sim_file maps/Map168/map168.upk
sim_file maps/Map169/map169.upk
sim_file maps/Map170/map170.upk
sim_file maps/Map171/map171.upk
sim_file maps/Map172/map172.upk
sim_file maps/Map173/map173.upk
sim_file maps/Map174/map174.upk
sim_file maps/Map175/map175.upk
sim_file maps/Map176/map176.upk
sim_file maps/Map177/map177.upk
sim_file maps/Map178/map178.upk
sim_file maps/Map179/map179.upk
sim_file maps/Map180/map180.upk
sim_file maps/Map181/map181.upk
sim_file maps/Map182/map182.upk
sim_file maps/Map183/map183.upk
sim_file maps/Map184/map184.upk
sim_file maps/Map185/map185.upk
sim_file maps/Map186/map186.upk
sim_file maps/Map187/map187.upk
sim_file maps/Map188/map188.upk
sim_file maps/Map189/map189.upk
sim_file maps/Map190/map190.upk
sim_file maps/Map191/map191.upk
sim_file maps/Map192/map192.upk
sim_file maps/Map193/map193.upk
sim_file maps/Map194/map194.upk
sim_file maps/Map195/map195.upk
sim_file maps/Map196/map196.upk
sim_file maps/Map197/map197.upk
sim_file maps/Map198/map198.upk
sim_file maps/Map199/map199.upk
sim_file maps/Map200/map200.upk
sim_file maps/Map201/map201.upk
sim_file maps/Map202/map202.upk
sim_file maps/Map203/map203.upk
sim_file maps/Map204/map204.upk
sim_file maps/Map205/map205.upk
sim_file maps/Map206/map206.upk
sim_file maps/Map207/map207.upk
sim_file maps/Map208/map208.upk
sim_file maps/Map209/map209.upk
sim_file maps/Map210/map210.upk
sim_file maps/Map211/map211.upk
sim_file maps/Map212/map212.upk
sim_file maps/Map213/map213.upk
sim_file maps/Map214/map214.upk
sim_file maps/Map215/map215.upk
sim_file maps/Map216/map216.upk
sim_file maps/Map217/map217.upk
sim_file maps/Map218/map218.upk
sim_file maps/Map219/map219.upk
sim_file maps/Map220/map220.upk
sim_file maps/Map221/map221.upk
sim_file maps/Map222/map222.upk
sim_file maps/Map223/map223.upk
sim_file maps/Map224/map224.upk
sim_file maps/Map225/map225.upk
sim_file maps/Map226/map226.upk
sim_file maps/Map227/map227.upk
sim_file maps/Map228/map228.upk
sim_file maps/Map229/map229.upk
sim_file maps/Map230/map230.upk
sim_file maps/Map231/map231.upk
sim_file maps/Map232/map232.upk
sim_file maps/Map233/map233.upk
sim_file maps/Map234/map234.upk
sim_file maps/Map235/map235.upk
sim_file maps/Map236/map236.upk
sim_file maps/Map237/map237.upk
sim_file maps/Map238/map238.upk
sim_file maps/Map239/map239.upk
sim_file maps/Map240/map240.upk
sim_file maps/Map241/map241.upk
sim_file maps/Map242/map242.upk
sim_file maps/Map243/map243.upk
sim_file maps/Map244/map244.upk
sim_file maps/Map245/map245.upk
sim_file maps/Map246/map246.upk
sim_file maps/Map247/map247.upk
sim_file maps/Map248/map248.upk
sim_file maps/Map249/map249.upk
sim_file maps/Map250/map250.upk
sim_file maps/Map251/map251.upk
sim_file maps/Map252/map252.upk
sim_file maps/Map253/map253.upk
sim_file maps/Map254/map254.upk
sim_file maps/Map255/map255.upk
sim_file maps/Map256/map256.upk
sim_file maps/Map257/map257.upk
sim_file maps/Map258/map258.upk
sim_file maps/Map259/map259.upk
sim_file maps/Map260/map260.upk
sim_file maps/Map261/map261.upk
sim_file maps/Map262/map262.upk
sim_file maps/Map263/map263.upk
sim_file maps/Map264/map264.upk
sim_file maps/Map265/map265.upk
sim_file maps/Map266/map266.upk
sim_file maps/Map267/map267.upk
sim_file maps/Map268/map268.upk
sim_file maps/Map269/map269.upk
sim_file maps/Map270/map270.upk
sim_file maps/Map271/map271.upk
sim_file maps/Map272/map272.upk
sim_file maps/Map273/map273.upk
sim_file maps/Map274/map274.upk
sim_file maps/Map275/map275.upk
sim_file maps/Map276/map276.upk
sim_file maps/Map277/map277.upk
sim_file maps/Map278/map278.upk
sim_file maps/Map279/map279.upk
sim_file maps/Map280/map280.upk
sim_file maps/Map281/map281.upk
sim_file maps/Map282/map282.upk
sim_file maps/Map283/map283.upk
sim_file maps/Map284/map284.upk
sim_file maps/Map285/map285.upk
sim_file maps/Map286/map286.upk
sim_file maps/Map287/map287.upk
sim_file maps/Map288/map288.upk
sim_file maps/Map289/map289.upk
sim_file maps/Map290/map290.upk
sim_file maps/Map291/map291.upk
sim_file maps/Map292/map292.upk
sim_file maps/Map293/map293.upk
sim_file maps/Map294/map294.upk
sim_file maps/Map295/map295.upk
sim_file maps/Map296/map296.upk
sim_file maps/Map297/map297.upk
sim_file maps/Map298/map298.upk
sim_file maps/Map299/map299.upk
sim_render on 240
pp_workshop_maps_folder maps
sim_render_do pp_find_workshop_maps
pp_find_workshop_maps
sim_render_do plugin_language FRA
plugin_language INT
sim_render_do pp_mode workshop
pp_mode custom
pp_requeue_delay 5
sim_render_do pp_requeue_delay 20
sim_render_do pp_workshop_map Map000\map000.upk
pp_workshop_map Map010\map010.upk
sim_render_do pp_custom_training_pack_code abcd-1234-efgh-5678
pp_custom_training_pack_code WXYZ-9876-STUV-5432
pp_toggle
sim_render_do pp_toggle
writeconfig
sim_render_do writeconfig
sim_frame 3
sim_reload
sim_wait 1
sim_render_do pp_find_workshop_maps
pp_find_workshop_maps
sim_render_do plugin_language FRA
plugin_language INT
sim_render_do pp_mode workshop
pp_mode custom
pp_requeue_delay 6
sim_render_do pp_requeue_delay 21
sim_render_do pp_workshop_map Map001\map001.upk
pp_workshop_map Map011\map011.upk
sim_render_do pp_custom_training_pack_code abcd-1234-efgh-5678
pp_custom_training_pack_code WXYZ-9876-STUV-5432
pp_toggle
sim_render_do pp_toggle
writeconfig
sim_render_do writeconfig
sim_frame 3
sim_reload
sim_wait 1
sim_render_do pp_find_workshop_maps
pp_find_workshop_maps
sim_render_do plugin_language FRA
plugin_language INT
sim_render_do pp_mode workshop
pp_mode custom
pp_requeue_delay 7
sim_render_do pp_requeue_delay 22
sim_render_do pp_workshop_map Map002\map002.upk
pp_workshop_map Map012\map012.upk
sim_render_do pp_custom_training_pack_code abcd-1234-efgh-5678
pp_custom_training_pack_code WXYZ-9876-STUV-5432
pp_toggle
sim_render_do pp_toggle
writeconfig
sim_render_do writeconfig
sim_frame 3
sim_reload
sim_wait 1
// Settle: the last values come from the page's side; sim_frame waits until they ran.
sim_render_do pp_enabled 1; pp_mode workshop; pp_requeue_delay 3; plugin_language FRA
sim_render_do pp_find_workshop_maps
sim_render_do pp_workshop_map Map123\map123.upk; pp_custom_training_pack_code abcd-1234-efgh-5678
sim_frame 2
sim_match 11
sim_wait 3
sim_end 1
sim_mmr
sim_wait 4
sim_render off
sim_status
pp_enabled
pp_mode
pp_requeue_delay
pp_workshop_map
pp_custom_training_pack_code
plugin_language
sim_reload
sim_wait 1
pp_mode
pp_workshop_map
