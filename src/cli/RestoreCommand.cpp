// "restore": restores one archive. See RestoreCommand.h.
#include "cli/RestoreCommand.h"

#include <ostream>

#include "cli/OverwriteMode.h"
#include "cli/ProjectLookup.h"
#include "log/ActivityLog.h"
#include "platform/Paths.h"
#include "restore/RestoreSession.h"
#include "store/NameText.h"
#include "store/ProjectStore.h"

namespace zb::cli {
namespace {

// The project the entry names: the one asked for, else the project whose save folder
// holds the archive (the one whose prefix begins the archive's name, when several
// share the folder), else the project selected when the program last closed.
std::string logProject(const store::ProjectStore& projects, const RestoreOptions& o, const std::string& archive,
                       std::ostream& err, bool& known) {
    known = true;
    if (o.project) {
        auto name = findProject(projects, *o.project, err);
        known = name.has_value();
        return name.value_or("");
    }
    const auto list = projects.readProjectList();
    const std::string folder = platform::extractFileDir(archive);
    const std::string fileName = platform::extractFileName(archive);
    std::string best;
    std::size_t bestPrefix = 0;
    bool found = false;
    for (const auto& name : list.names()) {
        const auto record = projects.loadProject(name);
        const std::string savePath = store::trimText(record.savePath);
        if (savePath.empty() || !platform::samePath(savePath, folder)) continue;
        const std::string prefix = store::trimText(record.filenamePrefix);
        const std::size_t match = fileName.rfind(prefix, 0) == 0 ? prefix.size() + 1 : 0;
        if (!found || match > bestPrefix) {
            best = name;
            bestPrefix = match;
            found = true;
        }
    }
    if (found) return best;
    const std::string last = projects.readLastProject();
    return list.contains(last) ? last : std::string();
}

}  // namespace

int runRestoreCommand(const CliSettings& settings, const RestoreOptions& options, platform::Ui& ui, std::ostream& err) {
    std::string error;
    const auto mode = parseOverwriteMode(options.overwriteAlways, options.overwriteNever,
                                         options.overwrite.value_or("prompt"), error);
    if (!mode) {
        err << "Error: " << error << '\n';
        return kExitBadRequest;
    }
    store::ProjectStore projects(settings.projectIni());
    const std::string archive = platform::expandFileName(options.archive);
    bool known = true;
    const std::string project = logProject(projects, options, archive, err, known);
    if (!known) return kExitBadRequest;

    platform::SystemClock clock;
    activitylog::ActivityLog log(settings.logTxt(), settings.preferences().logCount, clock);
    log.LoadLog();
    restore::RestoreSession session(ui, log);
    restore::RestoreChoices choices;
    choices.folder = platform::extractFileDir(archive);
    choices.fileName = platform::extractFileName(archive);
    choices.destination = options.destination;
    choices.useFolderNames = !options.junkPaths;
    choices.overwriteMode = *mode;
    choices.password = options.password.value_or("");
    choices.askFirst = false;
    const auto result = session.SpRestoreClick(choices, project);
    return result.ok() ? kExitOk : kExitFailed;
}

}  // namespace zb::cli
