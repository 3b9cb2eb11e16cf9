#pragma once
// Qt's own texts (file and folder dialogs, standard buttons) in German, as the dialogs are.

namespace norvik::ui {

// Loads Qt's German translations into the running application once; without them (the package
// is missing) Qt's texts stay English and everything still works.
void InstallGermanTranslations();

}  // namespace norvik::ui
