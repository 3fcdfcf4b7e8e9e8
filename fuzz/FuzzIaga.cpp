// Hostile IAGA-2002 files: the input is the text of a file that zuva-file iaga
// would read or check. The reader either refuses it with a line number inside the
// text or gives records whose times are whole seconds; the checker names only lines
// that are there; and every record read, written again in the format and read back,
// keeps its time and its values to the format's 0.01 nT.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "products/IagaChecker.h"
#include "products/IagaFileReader.h"
#include "products/IagaFormat.h"

namespace {

using zuva::fuzz::check;
namespace pr = zuva::products;

std::size_t lineCount(std::string_view text) {
    std::size_t n = 0;
    for (char c : text) n += c == '\n';
    return n + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

bool sameValue(double a, double b) {
    if (std::isnan(a)) return std::isnan(b);
    if (std::fabs(a) >= 1e5) return true;  // written as a fill value
    return std::fabs(a - b) <= 0.0051;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t lines = lineCount(text);

    for (const pr::IagaViolation& v : pr::IagaChecker::check(text, "abc20260314vmin.min"))
        check(v.line <= lines, "the checker names a line beyond the text");

    pr::IagaFile file;
    try {
        file = pr::IagaFileReader::parse(text);
    } catch (const pr::IagaReadError& e) {
        check(e.line() <= lines, "the reader names a line beyond the text");
        return 0;
    }
    pr::IagaHeader header;
    header.iagaCode = "ABC";
    const std::string head = pr::IagaFormat::headerText(header);
    for (const pr::FieldValue& v : file.records) {
        const std::string record = pr::IagaFormat::dataRecord(v);
        check(record.size() == pr::IagaFormat::kRecordLength + 1, "a data record is not 70 characters");
        pr::IagaFile again;
        try {
            again = pr::IagaFileReader::parse(head + record);
        } catch (const pr::IagaReadError&) {
            // A date the four-digit year cannot hold is the one record that may not come back.
            check(v.time < -62135596800 || v.time > 253402300799, "a record written by the format is refused");
            continue;
        }
        check(again.records.size() == 1 && again.records[0].time == v.time, "a record's time changed");
        check(sameValue(v.x, again.records[0].x) && sameValue(v.y, again.records[0].y) &&
                  sameValue(v.z, again.records[0].z),
              "a record's values changed");
    }
    return 0;
}
