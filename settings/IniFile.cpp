#include "settings/IniFile.h"

#include <utility>

#include "settings/AtomicFileWriter.h"
#include "settings/BoundedFileReader.h"
#include "settings/IniText.h"
#include "settings/IniWriteError.h"

namespace zuva::settings {

IniFile::IniFile(std::string path, std::size_t maxFileBytes) : path_(std::move(path)), maxFileBytes_(maxFileBytes) {}

std::string IniFile::readString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
    std::string_view value = defaultValue;
    const BoundedFileReader::Result file = BoundedFileReader::read(path_, maxFileBytes_);
    if (file.status == BoundedFileReader::Status::Read) {
        if (const auto found = IniText::find(file.content, section, key)) value = *found;
    }
    return std::string(value.substr(0, kMaxValueLength));
}

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value) {
    if (const auto reason = IniText::invalidWrite(section, key, value)) throw IniWriteError(path_, *reason);

    BoundedFileReader::Result file = BoundedFileReader::read(path_, maxFileBytes_);
    switch (file.status) {
        case BoundedFileReader::Status::Read:
        case BoundedFileReader::Status::Missing:
            break;
        case BoundedFileReader::Status::TooLarge:
            throw IniWriteError(path_, "file is larger than " + std::to_string(maxFileBytes_) + " bytes");
        case BoundedFileReader::Status::Failed:
            // Writing now would lose what the file holds, or cannot succeed at all.
            throw IniWriteError(path_);
    }
    const std::string updated = IniText::withValue(file.content, section, key, value);
    if (AtomicFileWriter::replace(path_, updated) != 0) throw IniWriteError(path_);
}

}  // namespace zuva::settings
