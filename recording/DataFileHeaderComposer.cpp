#include "recording/DataFileHeaderComposer.h"

#include <charconv>
#include <cmath>
#include <stdexcept>

#include "recording/Cp1251Text.h"
#include "recording/HeaderRealText.h"

namespace zuva::recording {

namespace {

// One header line must stay one line, in the code page the header declares.
std::string oneLine(std::string value) {
    for (char& c : value) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    return Cp1251Text::fromUtf8(value);
}

std::string part(const std::string& text, std::size_t pos, std::size_t count) {
    return pos < text.size() ? text.substr(pos, count) : std::string();
}

std::string element(const char* indent, const char* tag, const std::string& value) {
    std::string line = indent;
    line += '<';
    line += tag;
    line += '>';
    line += value;
    line += "</";
    line += tag;
    line += ">\r\n";
    return line;
}

}  // namespace

bool isValidAveraging(unsigned averaging) {
    return averaging >= 1 && averaging <= 256 && (averaging & (averaging - 1)) == 0;
}

ComposedHeader DataFileHeaderComposer::compose(const DataFileHeaderInfo& info, const std::string& remarks) {
    if (!isValidAveraging(info.averaging)) {
        throw std::invalid_argument("Data file not created: averaging " + std::to_string(info.averaging) +
                                    " is not one of 1, 2, 4, 8, 16, 32, 64, 128, 256");
    }
    ComposedHeader header;
    const unsigned rate = 256u / info.averaging;
    header.tripleCount = static_cast<std::uint16_t>(rate);

    // The record size that readers use comes from samplingrate, so it must be the
    // rate the records are written with.
    const std::string rateText = std::to_string(rate);
    if (info.samplingRateText != rateText) {
        header.notes.push_back("Data file header: sampling rate \"" + info.samplingRateText +
                               "\" does not match averaging " + std::to_string(info.averaging) +
                               ", written as " + rateText);
    }

    int gain = 0;
    const char* gainEnd = info.gainText.data() + info.gainText.size();
    const auto parsed = std::from_chars(info.gainText.data(), gainEnd, gain);
    if (parsed.ec != std::errc() || parsed.ptr != gainEnd || gain <= 0) {
        header.notes.push_back("Data file header: gain \"" + info.gainText + "\" is not a gain, bit_to_nT uses gain 1");
        gain = 1;
    }
    if (!std::isfinite(info.sensitivity) || info.sensitivity == 0.0) {
        header.notes.push_back("Data file header: sensitivity " + formatHeaderReal(info.sensitivity) +
                               " cannot convert counts to nT");
    }
    const double bitToNt = info.sensitivity / gain / info.averaging;

    std::string& t = header.text;
    t.reserve(1024 + remarks.size());
    t += "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\r\n";
    t += "<zuva_header version=\"zuva7k2\">\r\n";
    t += element("\t", "year", oneLine(part(info.dateText, 0, 4)));
    t += element("\t", "month", oneLine(part(info.dateText, 5, 2)));
    t += element("\t", "day", oneLine(part(info.dateText, 8, 2)));
    t += "\t<base_sampling_rate>256</base_sampling_rate>\r\n";
    t += element("\t", "averaging", std::to_string(info.averaging));
    t += element("\t", "samplingrate", rateText);
    t += element("\t", "sensitivity", formatHeaderReal(info.sensitivity));
    t += element("\t", "gain", oneLine(info.gainText));
    t += element("\t", "bit_to_nT", formatHeaderReal(bitToNt));
    t += "\t<channels>3</channels>\r\n";
    t += "\t<bytes_per_sample>4</bytes_per_sample>\r\n";
    t += element("\t", "one_second_record_size_in_bytes", std::to_string(rate * 12 + 4));
    t += "\t<GPS>\r\n";
    t += element("\t\t", "longitude", oneLine(info.longitude.substr(0, kMaxLongitude)));
    t += element("\t\t", "lattitude", oneLine(info.latitude.substr(0, kMaxLatitude)));
    t += element("\t\t", "altitude", oneLine(info.altitude.substr(0, kMaxAltitude)));
    t += "\t</GPS>\r\n";
    t += element("\t", "remarks", oneLine(remarks));
    t += "</zuva_header>\r\n";
    return header;
}

}  // namespace zuva::recording
