// The field check shared by saving, renaming and the backup run.
#include "store/ProjectFieldCheck.h"

#include "store/NameText.h"

namespace zb::store {

std::optional<std::string> CheckProjectFields(const ProjectRecord& record, std::string_view archiveName) {
    if (trimText(archiveName).empty()) return "Please enter the backup filename";
    if (trimText(record.filenamePrefix).empty()) return "Please enter the prefix of backup filename";
    // Blanks at the ends do not count; letter case does.
    if (record.usePassword && trimText(record.password) != trimText(record.passwordConfirmation)) {
        return "Confirm password is not matching";
    }
    if (record.includeLines.empty()) return "Please select files to backup";
    return std::nullopt;
}

}  // namespace zb::store
