// "Select files by wildcard" on an include or exclude list: the main window's page and
// the Add Project wizard call this one implementation.
#pragma once

class QListWidget;
class QWidget;

namespace zb::store {
class PreferencesStore;
}

namespace zb::app {

class DialogService;

// Opens the wildcard dialog; on OK adds its line at the end (an equal line is added
// again) and selects the first line equal to it without regard to case.
void AddByWildcard(QListWidget& list, const store::PreferencesStore& prefs, DialogService& dialogs,
                   QWidget* parent);

}  // namespace zb::app
