// Every user-facing text of the plug-in in English ("INT") and French ("FRA").
#include "localization/LocalizationManager.h"

namespace postplay {

namespace {

struct TranslationRow {
    const char* key;
    const char* english;
    const char* french;
};

constexpr TranslationRow kRows[] = {
    {"language", "Language", "Langue"},
    {"reset_language", "Reset language", "Reinitialiser la langue"},
    {"enable_postplay", "Enable Postplay", "Activer Postplay"},
    {"enable_in_competitive", "Enable in competitive mode", "Activer en mode competitif"},
    {"enable_in_casual", "Enable in casual mode", "Activer en mode occasionel"},
    {"training_mode", "Training mode", "Mode d'entrainement"},
    {"free_play", "Free play", "Free play"},
    {"custom_training", "Custom training", "Entrainement personalise"},
    {"workshop", "Workshop", "Workshop"},
    {"workshop_map_folder", "Workshop map folder", "Dossier des maps workshop"},
    {"workshop_map_folder_tooltip", "Enter the full path to your workshop maps folder",
     "Entrez le chemin complet vers le dossier des maps workshop"},
    {"workshop_map_folder_empty", "Please set a workshop maps folder",
     "Veuillez entrer le chemin vers les maps workshop"},
    {"workshop_map_folder_doesnt_exist", "Error: Folder does not exist", "Erreur: Le dossier n'existe pas"},
    {"workshop_map_folder_not_directory", "Error: Path is not a directory", "Erreur: Le chemin n'est pas un dossier"},
    {"workshop_map_folder_no_map_found", "No workshop maps found in this folder",
     "Aucune map workshop n'a ete trouvee dans ce dossier"},
    {"workshop_map_folder_no_map_found_refresh", "No workshop maps found. Click 'Refresh Maps' to scan the folder.",
     "Aucune map workshop trouvee. Cliquez sur le bouton 'Actualiser' pour scanner le dossier"},
    {"please_select_a_workshop_map", "Please select a workshop map", "Veuillez selectionner une map workshop"},
    {"select_workshop_map", "Select Workshop Map", "Selectionner une map workshop"},
    {"refresh", "Refresh", "Actualiser"},
    {"custom_training_pack_code", "Custom training pack code", "Code du pack d'entrainement personalise"},
    {"custom_training_pack_code_invalid", "Enter a valid training pack code (like 1234-ABCD-5678-EFGH)",
     "Entrez un code valide (ex: 1234-ABCD-5678-EFGH)"},
    {"auto_requeue", "Auto requeue", "Relancer la recherche de match automatiquement"},
    {"requeue_delay", "Requeue Delay (seconds)", "Delais avant la recherche de match (en secondes)"},
    {"wait_mmr_before_leaving", "Wait for MMR before leaving", "Attendre que le MMR soit calcule"},
    {"wait_mmr_before_leaving_tooltip", "If enabled, the plugin will wait until MMR is visible before leaving a match",
     "Si active, le plugin attendra que le MMR soit calcule avant de quitter la partie"},
    {"bind_to_toggle", "Set bind to toggle plugin", "Definir un bind pour activer/desactiver le plugin"},
    // The key's spelling ("toolip") is the one the key-bind panel looks up.
    {"bind_to_toggle_toolip", "See the bind list in the \"Bindings\" tab",
     "Voir la liste des bind dans l'onglet \"Bindings\""},
    {"bind", "Bind", "Bind"},
    {"this_key_is_already_bound", "This key is already bound, you may want to change it to another key",
     "Cette touche est deja bind, vous devriez la changer pour une autre touche"},
    {"postplay_enabled", "Postplay enabled", "Postplay active"},
    {"postplay_disabled", "Postplay disabled", "Postplay desactive"},
    // Shown while a scan of the workshop folder runs, followed by the number of maps found so far.
    {"workshop_maps_scanning", "Scanning the folder... maps found so far:",
     "Recherche des maps dans le dossier... maps trouvees pour l'instant:"},
};

} // namespace

void LocalizationManager::LoadTranslations() {
    for (const TranslationRow& row : kRows) AddTranslation("INT", row.key, row.english);
    for (const TranslationRow& row : kRows) AddTranslation("FRA", row.key, row.french);
}

} // namespace postplay
