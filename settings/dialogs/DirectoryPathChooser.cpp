#include "settings/dialogs/DirectoryPathChooser.h"

#include <optional>

#include "settings/DirectoryListing.h"
#include "settings/OutputDirectoryModel.h"

namespace zuva::settings {

bool DirectoryPathChooser::isAbove(const std::string& ancestor, const std::string& path) {
    if (ancestor == "/") return path.size() > 1 && path.front() == '/';
    return path.size() > ancestor.size() + 1 && path.compare(0, ancestor.size(), ancestor) == 0 &&
           path[ancestor.size()] == '/';
}

bool DirectoryPathChooser::choose(OutputDirectoryModel& model, const std::string& directory) {
    const std::string target = DirectoryListing::normalPath(directory);
    // Each opening moves to a row strictly closer to the target, so the loop ends;
    // the bound only guards against a file system that changes under it.
    for (std::size_t step = 0; step <= target.size() + 1; ++step) {
        const auto& rows = model.rows();
        std::optional<std::size_t> deepest;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].path == target) return model.DirectoryListBox1Click(i);
            if (isAbove(rows[i].path, target) && (!deepest || rows[i].path.size() > rows[*deepest].path.size())) {
                deepest = i;
            }
        }
        // The list's current directory is the deepest row above the target, yet the
        // target is none of its subdirectories: it is not there.
        if (!deepest || rows[*deepest].path == model.listDirectory()) return false;
        if (!model.openRow(*deepest)) return false;
    }
    return false;
}

}  // namespace zuva::settings
