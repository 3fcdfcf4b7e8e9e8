#include "products/IagaProducts.h"

namespace zuva::products {

// The day writer, made at the first value with the header as it then stands.
class IagaProducts::LazyFiles final : public FieldValueListener {
public:
    explicit LazyFiles(IagaProducts& owner) : owner_(owner) {}

    void valueReady(Interval interval, const FieldValue& value) override {
        if (!writer_) {
            const PositionTexts position = owner_.services_.position ? owner_.services_.position() : PositionTexts{};
            IagaDayWriter::Options o;
            o.directory = directory_;
            o.secondHeader = IagaStationHeader::make(owner_.station_, position, Interval::Second);
            o.minuteHeader = IagaStationHeader::make(owner_.station_, position, Interval::Minute);
            o.typeLetter = owner_.station_.dataTypeLetter();
            writer_ = std::make_unique<IagaDayWriter>(owner_.services_.fs, owner_.services_.log, std::move(o));
        }
        writer_->valueReady(interval, value);
    }
    void setDirectory(const std::string& directory) {
        directory_ = directory;
        if (writer_) writer_->setDirectory(directory);
    }
    void retry() {
        if (writer_) writer_->retry();
    }
    std::size_t waiting() const { return writer_ ? writer_->waitingRecords() : 0; }

private:
    IagaProducts& owner_;
    std::string directory_;
    std::unique_ptr<IagaDayWriter> writer_;
};

IagaProducts::IagaProducts(const Services& services, const settings::StationSettings& station)
    : services_(services),
      station_(station),
      active_(!station.iagaCode.empty()),
      chain_(&services.log),
      feed_(chain_, services.log) {
    if (active_ && station.iagaOutput) {
        files_ = std::make_unique<LazyFiles>(*this);
        chain_.addListener(*files_, "IAGA-2002 files");
    } else if (station.iagaOutput) {
        services.log.addlogfile("IAGA-2002 files are not written: the section \"Station\" sets no IagaCode");
    }
}

IagaProducts::~IagaProducts() {
    try {
        chain_.finish();
        if (files_) {
            files_->retry();
            if (files_->waiting() > 0)
                services_.log.addlogfile("IAGA-2002 files: " + std::to_string(files_->waiting()) +
                                         " records could not be written before the program ended");
        }
    } catch (...) {
        // Nothing may leave a destructor; the log line above is all that can be done.
    }
}

void IagaProducts::setOutputDirectory(const std::string& directory) {
    if (files_) files_->setDirectory(directory);
}

void IagaProducts::retry() {
    if (files_) files_->retry();
}

}  // namespace zuva::products
