#pragma once

#include <string>

namespace zuva::settings {

class OutputDirectoryModel;

// Turns a click on a directory anywhere in the tree view into the model's own
// actions: the rows on the way are opened, as a user of the directory list would
// open them, until the clicked directory is a row of the list, which is then
// clicked. The model's field ends up holding the directory's path.
class DirectoryPathChooser {
public:
    // Returns false when the directory cannot be reached (it has gone, or is no
    // directory); the list then shows the deepest directory reached.
    static bool choose(OutputDirectoryModel& model, const std::string& directory);

    // True when ancestor lies above path ("/" lies above every other path).
    static bool isAbove(const std::string& ancestor, const std::string& path);
};

}  // namespace zuva::settings
