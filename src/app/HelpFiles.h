// Where the program's HTML help and its web page are: the help is looked up beside the
// executable first (a build or a copied program), then in the installed data folder.
#pragma once

#include <QString>

namespace zb::app {

// The address "Visits Website..." opens.
inline constexpr const char* kWebsiteAddress = "https://zipbackup.example.org/";

// Help pages by topic: the window's help context numbers.
enum class HelpTopic { Contents = 0, MainWindow = 1, Preferences = 2, MessageWindow = 3, Dialogs = 4 };

// The full path of the topic's page, or empty when no help is installed.
QString helpPage(HelpTopic topic);

// Opens the page in the desktop's browser; failures are not reported, as a missing
// browser is no reason to interrupt the user.
void openHelp(HelpTopic topic);
void openWebsite();

}  // namespace zb::app
