// "add-project NAME": creates a project as the Add Project wizard does, with an option
// for every field of its pages, its checks in page order with their messages, and the
// same keys and list updates written by its Finish.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliSettings.h"

namespace zb::cli {

struct AddProjectOptions {
    std::string name;
    std::vector<std::string> include;  // step 2
    bool noSubfolders = false;
    std::vector<std::string> exclude;   // step 3
    std::optional<std::string> prefix;  // step 4: the name when not given
    std::string suffix = "number";      // none | date | number
    int number = 1;                     // the number the first archive uses
    int increase = 1;
    std::optional<std::string> saveFolder;       // the home folder when not given
    std::optional<std::string> password;         // step 5: given = the box is checked
    std::optional<std::string> confirmPassword;  // the password itself when not given
    bool noPaths = false;
    std::optional<std::string> comment;  // given = the box is checked
    int level = 6;
    std::optional<std::string> dailyAt;  // step 6: at most one of these three
    std::optional<int> everyMinutes;
    std::optional<std::string> weeklyOn;
};

int runAddProjectCommand(const CliSettings& settings, const AddProjectOptions& options, std::ostream& out,
                         std::ostream& err);

}  // namespace zb::cli
