#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zuva::settings {

// An ini file read and written one string at a time, with the semantics the program
// relies on:
// - a missing file, section or key yields the default; the file is created by the
//   first write;
// - section and key names compare without regard to (ASCII) case; the first matching
//   section and the first matching key in it are used;
// - a section header is a line whose first non-blank character is "[" and which
//   holds a "]"; the name is the text between them with blanks trimmed;
// - a key line is a line inside a section holding "=" that is not a header and does
//   not start with ";" or "#" (comments); key and value are the texts before and
//   after the first "=", both with blanks (space, tab) trimmed;
// - a value read is cut to at most kMaxValueLength (2047) bytes;
// - a write replaces the key's line by "key=value" or, when the key is missing, adds
//   it after the last non-blank line of the section, or adds the section at the end
//   of the file; every other byte of the file stays as it was;
// - lines added take the line ending the file already uses (that of its first line
//   break), LF for a new file or a file of one line;
// - a write goes to a temporary file in the same directory, is flushed to disk
//   (fsync), renamed over the file and the directory is flushed, so a crash leaves
//   either the old or the new file. The file keeps its permission bits (and owner,
//   where the process may set it); a symbolic link is followed and stays a link.
// - a refused write throws IniWriteError and leaves the file as it was.
// Files larger than the size limit are not parsed: reads yield the default and writes
// are refused, so a hostile or runaway file is neither loaded whole nor overwritten.
class IniFile {
public:
    static constexpr std::size_t kMaxValueLength = 2047;
    static constexpr std::size_t kDefaultMaxFileBytes = 16u * 1024u * 1024u;

    explicit IniFile(std::string path, std::size_t maxFileBytes = kDefaultMaxFileBytes);

    const std::string& path() const noexcept { return path_; }

    std::string readString(std::string_view section, std::string_view key,
                           std::string_view defaultValue) const;

    // Throws IniWriteError when the file system refuses the write, when the existing
    // file cannot be read (its other contents would be lost) or is over the size
    // limit, and when the section, key or value cannot be stored as one line
    // (line breaks; a key with "=" or surrounding blanks; a section with "]").
    void writeString(std::string_view section, std::string_view key, std::string_view value);

private:
    std::string path_;
    std::size_t maxFileBytes_;
};

}  // namespace zuva::settings
