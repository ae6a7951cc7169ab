// The writer's split mode: the run writes the archive whole into a temporary file
// beside it, as for an update, and then lays it onto the parts of the set. Numbered
// parts are named after the archive; spanned parts are named by OnGetNextDisk (or,
// without a handler, numbered the same way), so reading the set can ask the same
// handler for the same parts.
#include <filesystem>

#include "platform/Ui.h"
#include "zip/io/TFileStream.h"
#include "zip/split/SplitPartNames.h"
#include "zip/split/SplitSetWriter.h"
#include "zip/writer/ZipWriterRun.h"

namespace zb::zip {

void TZipWriter::Run::layOntoParts() {
    SplitSetWriter set(w.multiZipInfo_, zipName);
    set.StorePaths = w.storePaths_;
    set.FlushOnClose = w.FlushFilesOnClose;
    set.NextPartName = [this](int number) {
        std::string name = zipName;
        if (w.OnGetNextDisk) {
            w.OnGetNextDisk(w, number, name);
        } else {
            name = splitPartFileName(zipName, number);
        }
        return name;
    };
    set.PrepareNextPart = [this](int number) {
        if (w.OnPrepareNextDisk) w.OnPrepareNextDisk(w, number);
    };
    set.Copied = [this](std::size_t) { processMessages(); };
    set.Message = [this](const std::string& text) {
        if (w.Ui) w.Ui->messageBox(platform::MessageKind::Error, text);
    };
    {
        TFileStream whole(target, TFileMode::OpenRead);
        set.write(whole);
    }
    std::error_code ec;
    std::filesystem::remove(target, ec);
    target.clear();
}

}  // namespace zb::zip
