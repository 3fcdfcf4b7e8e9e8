#pragma once

#include <functional>
#include <memory>
#include <string>

#include "products/CompletedSecondFeed.h"
#include "products/FilterChain.h"
#include "products/IagaDayWriter.h"
#include "products/IagaStationHeader.h"
#include "recording/FileSystem.h"
#include "recording/LogSink.h"
#include "settings/StationSettings.h"

namespace zuva::products {

// The data products of the running recorder, built from the station settings: the
// filter chain fed with the completed seconds (when an IAGA code is set, so that a
// publisher can listen to it), and the IAGA-2002 day files in the output directory
// (when IagaOutput is "Yes" as well). The day files are begun with the first value,
// so that their header carries the position the instrument reported by then.
class IagaProducts {
public:
    struct Services {
        recording::FileSystem& fs;
        recording::LogSink& log;
        std::function<PositionTexts()> position;  // the last position reply's texts
    };

    IagaProducts(const Services& services, const settings::StationSettings& station);
    // Hands out the values still in the filters and writes what waits.
    ~IagaProducts();
    IagaProducts(const IagaProducts&) = delete;
    IagaProducts& operator=(const IagaProducts&) = delete;

    // The listener to add to the stream of completed seconds, or null when no IAGA
    // code is set.
    acquisition::SecondListener* listener() { return active_ ? &feed_ : nullptr; }
    // Where other consumers (the publisher) add themselves. The destructor hands
    // them the last values: a consumer that ends first removes itself.
    FilterChain& chain() { return chain_; }
    bool writesFiles() const { return files_ != nullptr; }
    // The data files' output directory; files begun from now on go there.
    void setOutputDirectory(const std::string& directory);
    // Tries again to write values that wait (a timer may call it between seconds).
    void retry();

private:
    class LazyFiles;

    Services services_;
    settings::StationSettings station_;
    bool active_;
    FilterChain chain_;
    CompletedSecondFeed feed_;
    std::unique_ptr<LazyFiles> files_;
};

}  // namespace zuva::products
