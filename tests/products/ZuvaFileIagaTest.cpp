// zuva-file iaga run as a process: the names it prints, its messages and exit status.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ProductsTestDir.h"
#include "ZuvTestFiles.h"
#include "products/IagaFormat.h"

namespace zuva::products {
namespace {

using testing::ProductsTestDir;
using testing::readText;
using testing::writeText;

constexpr std::int64_t kDay = 1773446400;  // 2026-03-14 00:00:00 UTC

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

class ZuvaFileIaga : public ::testing::Test {
protected:
    ToolRun run(const std::string& args) {
        const std::string cmd = "cd " + dir.path() + " && LC_ALL=C " + std::string(ZUVA_BIN_DIR) + "/zuva-file " + args +
                                " >" + dir.file("out.txt") + " 2>" + dir.file("err.txt");
        const int rc = std::system(cmd.c_str());
        return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, readText(dir.file("out.txt")), readText(dir.file("err.txt"))};
    }
    ProductsTestDir dir;
};

double field(double t) { return 1000.0 + 5.0 * std::sin((t - kDay) / 50.0); }

TEST_F(ZuvaFileIaga, ConvertsIntoTheCurrentDirectoryOrTheOutputDirectoryAndPrintsTheNames) {
    testing::writeZuv(dir.file("20260314120000.zuv"), kDay + 43200, 16, 200, field);
    writeText(dir.file("zuva.ini"), "[Station]\nIagaCode=abc\nDataType=quasi-definitive\nLongitude=500\n");
    const ToolRun here = run("iaga --config zuva.ini 20260314120000.zuv");
    EXPECT_EQ(here.status, 0) << here.err;
    EXPECT_EQ(here.out, "./abc20260314qsec.sec\n./abc20260314qmin.min\n");
    EXPECT_EQ(here.err, "zuva-file: zuva.ini: Station setting Longitude=500 not taken: a number from 0 to 360 is needed\n");

    std::filesystem::create_directory(dir.file("out"));
    const ToolRun minutes = run("iaga --config zuva.ini --interval minute --out out 20260314120000.zuv");
    EXPECT_EQ(minutes.status, 0) << minutes.err;
    EXPECT_EQ(minutes.out, "out/abc20260314qmin.min\n");
    EXPECT_EQ(readText(dir.file("out/abc20260314qmin.min")), readText(dir.file("abc20260314qmin.min")));

    const ToolRun check = run("iaga --check abc20260314qsec.sec out/abc20260314qmin.min");
    EXPECT_EQ(check.status, 0);
    EXPECT_EQ(check.out, "abc20260314qsec.sec: ok\nout/abc20260314qmin.min: ok\n");
}

TEST_F(ZuvaFileIaga, CheckReportsEachViolationWithItsLineAndFails) {
    IagaHeader h;
    h.iagaCode = "ABC";
    h.intervalType = IagaFormat::intervalTypeText(Interval::Minute);
    std::string text = IagaFormat::headerText(h) + IagaFormat::dataRecord({kDay, 1, 2, 3}) +
                       IagaFormat::dataRecord({kDay + 120, 1, 2, 3});
    writeText(dir.file("abc20260314vmin.min"), text);
    const ToolRun r = run("iaga --check abc20260314vmin.min missing.min");
    EXPECT_EQ(r.status, 1);  // a file missing outweighs a violation
    EXPECT_EQ(r.out, "abc20260314vmin.min: line 15: time stamp is 120 s after the one before, not 60 s\n");
    EXPECT_EQ(r.err, "zuva-file: missing.min: not found\n");
    EXPECT_EQ(run("iaga --check abc20260314vmin.min").status, 3);
}

struct BadCall {
    const char* name;
    std::string args;
    int status;
    std::string err;
};

class ZuvaFileIagaRefuses : public ZuvaFileIaga, public ::testing::WithParamInterface<BadCall> {};

TEST_P(ZuvaFileIagaRefuses, WithAMessageAndItsStatus) {
    testing::writeZuv(dir.file("a.zuv"), kDay, 1, 20, field);
    writeText(dir.file("junk.txt"), "junk\n");
    const ToolRun r = run(GetParam().args);
    EXPECT_EQ(r.status, GetParam().status);
    EXPECT_EQ(r.err, GetParam().err);
    EXPECT_EQ(r.out, "");
}

const std::string kUsage =
    "usage: zuva-file iaga [--config PATH] [--interval second|minute] [--out DIR] FILE...\n"
    "       zuva-file iaga --check FILE...\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, ZuvaFileIagaRefuses,
    ::testing::Values(
        BadCall{"NoFiles", "iaga", 2, kUsage},
        BadCall{"BadInterval", "iaga --interval hour a.zuv", 2, kUsage},
        BadCall{"UnknownOption", "iaga --fast a.zuv", 2, kUsage},
        BadCall{"NoCode", "iaga a.zuv", 3,
                "zuva-file: no IAGA code: give --config with a settings file whose section \"Station\" sets IagaCode\n"},
        BadCall{"MissingConfig", "iaga --config none.ini a.zuv", 1, "zuva-file: none.ini: not found\n"},
        BadCall{"MissingInput", "iaga nothing.zuv", 1, "zuva-file: nothing.zuv: not found\n"},
        BadCall{"Junk", "iaga junk.txt", 3,
                "zuva-file: junk.txt: neither a data file nor IAGA-2002 (line 1: neither a header record (label from "
                "column 2, value from column 25) nor the column header)\n"}),
    [](const ::testing::TestParamInfo<BadCall>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace zuva::products
