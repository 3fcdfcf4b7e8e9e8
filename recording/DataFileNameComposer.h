#pragma once

#include <string>

namespace zuva::recording {

// Names of data files: output directory + "/" + FileDate + FileTime + ".zuv", or the
// bare name (in the current directory) when the directory text is empty.
class DataFileNameComposer {
public:
    static std::string compose(const std::string& outputDirectory, const std::string& fileDate,
                               const std::string& fileTime);

    // The n-th alternative for a name that is taken: "-n" before the ".zuv"
    // ("…/20090819000000-2.zuv"); n = 0 gives the name itself.
    static std::string alternative(const std::string& name, unsigned n);
};

}  // namespace zuva::recording
