#pragma once

#include <string>
#include <vector>

namespace zuva::settings {

// The rows of the output-directory dialog's directory tree list on a Linux file
// system: the root "/", each directory down to the list's current directory, then
// the current directory's subdirectories in byte order.
class DirectoryListing {
public:
    enum class Kind { Root, Above, Current, Subdirectory };

    struct Row {
        Kind kind = Kind::Root;
        std::string name;  // the text shown: "/" for the root, else the last path component
        std::string path;  // the full path the row stands for
    };

    // currentDirectory is made absolute and normal (no ".", "..", doubled or
    // trailing "/"). When it is the root, the root row is the current directory.
    static std::vector<Row> rows(const std::string& currentDirectory, const std::vector<std::string>& subdirectories);

    // The normal absolute form of a directory path as rows() uses it.
    static std::string normalPath(const std::string& directory);

    // The path of a subdirectory: the directory and the name joined by "/", none
    // added when the directory already ends with one (the root).
    static std::string join(const std::string& directory, const std::string& name);

    // The names of the directories in directory (symbolic links to directories
    // included, "." and ".." not), sorted; empty when it cannot be read.
    static std::vector<std::string> subdirectoriesOf(const std::string& directory);
};

}  // namespace zuva::settings
