#include <gtest/gtest.h>

#include "products/IagaFormat.h"
#include "products/IagaStationHeader.h"

namespace zuva::products {
namespace {

TEST(IagaStationHeader, TakesTheStationSectionAndFallsBackToThePosition) {
    settings::StationSettings station;
    station.iagaCode = "ABC";
    station.name = "Abc Valley";
    station.institute = "Zuva Institute";
    station.latitude = 48.1175;
    station.dataType = "provisional";
    const PositionTexts position{"4807.0380N", "01131.0000W", "545.4"};
    const IagaHeader h = IagaStationHeader::make(station, position, Interval::Minute);
    EXPECT_EQ(h.iagaCode, "ABC");
    EXPECT_EQ(h.stationName, "Abc Valley");
    EXPECT_EQ(h.source, "Zuva Institute");
    EXPECT_EQ(h.latitude, "48.117");     // from the section, not the position
    EXPECT_EQ(h.longitude, "348.483");   // 11 deg 31 min west, as degrees east
    EXPECT_EQ(h.elevation, "545");
    EXPECT_EQ(h.reported, "XYZF");
    EXPECT_EQ(h.orientation, "XYZ");
    EXPECT_EQ(h.dataType, "provisional");
    EXPECT_EQ(h.intervalType, "1-minute (00:15-01:45)");
    EXPECT_EQ(IagaStationHeader::make(station, position, Interval::Second).intervalType, "1-second");

    station.longitude = 11.5;
    station.elevation = 12.4;
    const IagaHeader own = IagaStationHeader::make(station, {"", "", ""}, Interval::Second);
    EXPECT_EQ(own.longitude, "11.500");
    EXPECT_EQ(own.elevation, "12");
    station.latitude.reset();
    EXPECT_EQ(IagaStationHeader::make(station, {"", "", ""}, Interval::Second).latitude, "");
}

TEST(IagaStationHeader, ReadsPositionTextsOrRefusesThem) {
    EXPECT_NEAR(*IagaStationHeader::degrees("4807.0380N"), 48.1173, 1e-9);
    EXPECT_NEAR(*IagaStationHeader::degrees("3345.0000S"), -33.75, 1e-12);
    EXPECT_NEAR(*IagaStationHeader::degrees("01131.0000E"), 11.516666666666667, 1e-9);
    EXPECT_NEAR(*IagaStationHeader::degrees("-12.25"), -12.25, 1e-12);
    EXPECT_FALSE(IagaStationHeader::degrees("4875.0000N").has_value());  // 75 minutes
    EXPECT_FALSE(IagaStationHeader::degrees("abcN").has_value());
    EXPECT_FALSE(IagaStationHeader::degrees("").has_value());
    EXPECT_NEAR(*IagaStationHeader::metres("545.4 M"), 545.4, 1e-12);
    EXPECT_FALSE(IagaStationHeader::metres("high").has_value());
}

}  // namespace
}  // namespace zuva::products
