#pragma once

#include <string>
#include <string_view>

namespace zuva::settings {

// Replaces a file's whole content so that a crash or power loss at any moment leaves
// either the old or the new content: the new bytes go to a temporary file in the same
// directory, are flushed to disk, and the temporary file is renamed over the old one;
// then the directory is flushed so the rename itself is durable.
// The new file keeps the old one's permission bits (and owner and group where the
// process may set them); a new file gets 0666 less the umask. When the path is a
// symbolic link, the file it points to is replaced and the link stays.
// An existing file that the process may not write (access W_OK) is refused, as the
// platform's ini writer refuses a read-only file.
// After a successful replace, temporary files that writers of the same file left
// behind when they were killed (their process no longer exists) are removed.
class AtomicFileWriter {
public:
    // 0 on success, otherwise the errno of the step that failed; then the old file is
    // untouched and no temporary file is left behind.
    static int replace(const std::string& path, std::string_view content);
};

}  // namespace zuva::settings
