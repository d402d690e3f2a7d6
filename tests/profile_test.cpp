#include "profile/profile.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "test_support.h"

namespace kestro {
namespace {

using testing::Narrow;
using testing::SourceOf;

// --- Model text slicing ---

struct ModelCase {
  const char16_t* model;
  const char* expectedLines;
};

class ModelTextLines : public ::testing::TestWithParam<ModelCase> {};

TEST_P(ModelTextLines, CutsBrandModelAndSku) {
  ReportText report;
  AppendModelTextLines(GetParam().model, report);
  EXPECT_EQ(Narrow(report.Text()), GetParam().expectedLines) << Narrow(GetParam().model);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ModelTextLines,
    ::testing::Values(
        ModelCase{u"ZQ Corvanta ab1234 (XY123AB#Q7R)",
                  "BrandName=Corvanta\r\nModelName=ab1234\r\nSKUNumber=XY123A\r\nSKUOptionConfig=Q7R\r\n"},
        ModelCase{u"ZQ Tindrell kx510 Desktop",
                  "BrandName=Tindrell\r\nModelName=kx510\r\nSKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\n"},
        ModelCase{u"ZQ rt4410 Tower (PQ845R)", "BrandName=ZQ\r\nModelName=rt441\r\nSKUNumber=PQ845R\r\n"},
        // "ZQ " stands at 6, but the slice counts from the first "ZQ", at 2.
        ModelCase{u"XZQ7 ZQ ab220",
                  "BrandName=ZQ\r\nModelName= ZQ a\r\nSKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\n"},
        ModelCase{u"zq rt4410",
                  "BrandName=Unknown\r\nModelName=Unknown\r\nSKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\n"},
        ModelCase{u"", "BrandName=Unknown\r\nModelName=Unknown\r\nSKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\n"},
        // Row order, not position, decides.
        ModelCase{u"Tindrell Corvanta 123456",
                  "BrandName=Corvanta\r\nModelName=123456\r\nSKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\n"},
        ModelCase{u"corvanta ZQ7",
                  "BrandName=Unknown\r\nModelName=Unknown\r\nSKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\n"},
        ModelCase{u"ZQ Corvanta",
                  "BrandName=Corvanta\r\nModelName=\r\nSKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\n"},
        ModelCase{u"ZQ Corvanta ab",
                  "BrandName=Corvanta\r\nModelName=ab\r\nSKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\n"},
        ModelCase{u"ZQ x (", "BrandName=ZQ\r\nModelName=x (\r\nSKUNumber=\r\n"},
        ModelCase{u"ZQ x (AB", "BrandName=ZQ\r\nModelName=x (AB\r\nSKUNumber=AB\r\n"},
        // "#" before "(" counts: both searches start at the first character.
        ModelCase{u"#12345 ZQ (ABCDEFGH)",
                  "BrandName=ZQ\r\nModelName=(ABCD\r\nSKUNumber=ABCDEF\r\nSKUOptionConfig=123\r\n"},
        ModelCase{u"ZQ a (b#", "BrandName=ZQ\r\nModelName=a (b#\r\nSKUNumber=b#\r\nSKUOptionConfig=\r\n"}));

TEST(ModelTextLines, LineBreaksInTheModelTextDoNotBreakLines) {
  ReportText report;
  using namespace std::string_literals;
  AppendModelTextLines(u"ZQ Corvanta a\rb\nc (X\0Y"s, report);
  EXPECT_EQ(Narrow(report.Text()), "BrandName=Corvanta\r\nModelName=a b c \r\nSKUNumber=X Y\r\n");
}

TEST(ModelTextLines, PositionsBeyond32767Work) {
  std::u16string model(40000, u'x');
  model += u"ZQ Corvanta ab1234 (XY123AB#Q7R)";
  ReportText report;
  AppendModelTextLines(model, report);
  EXPECT_EQ(Narrow(report.Text()),
            "BrandName=Corvanta\r\nModelName=ab1234\r\nSKUNumber=XY123A\r\nSKUOptionConfig=Q7R\r\n");
}

// --- Identity lines from records ---

std::string Cimv2(const std::string& classes) { return R"({"root\\CIMV2": {)" + classes + "}}"; }

TEST(IdentityLines, OnePairPerComputerSystemAndTheLastModelCounts) {
  auto source = SourceOf(Cimv2(R"J(
    "Win32_ComputerSystem": [{"Manufacturer": "M1", "Model": "ZQ Tindrell kx510"},
                             {"Manufacturer": "M2", "Model": "ZQ Corvanta ab1234 (XY123AB#Q7R)"}],
    "Win32_BaseBoard": [{"Product": "B1"}, {"Product": "B2"}])J"));
  ReportText report;
  AppendIdentityLines(source, report);
  EXPECT_EQ(Narrow(report.Text()),
            "Manufacturer=M1\r\nFullProductName=ZQ Tindrell kx510\r\n"
            "Manufacturer=M2\r\nFullProductName=ZQ Corvanta ab1234 (XY123AB#Q7R)\r\n"
            "SystemID=B1\r\nSystemID=B2\r\n"
            "BrandName=Corvanta\r\nModelName=ab1234\r\nSKUNumber=XY123A\r\nSKUOptionConfig=Q7R\r\n");
}

TEST(IdentityLines, NoRecordsGiveUnknowns) {
  auto source = SourceOf("{}");
  ReportText report;
  AppendIdentityLines(source, report);
  EXPECT_EQ(Narrow(report.Text()),
            "BrandName=Unknown\r\nModelName=Unknown\r\nSKUNumber=Unknown\r\nSKUOptionConfig=Unknown\r\n");
}

struct FailureCase {
  const char* classes;
  ErrorCode expected;
  const char* mentions;
};

class IdentityFailures : public ::testing::TestWithParam<FailureCase> {};

TEST_P(IdentityFailures, AreRunTimeErrors) {
  auto source = SourceOf(Cimv2(GetParam().classes));
  ReportText report;
  testing::ExpectRuntimeError([&] { AppendIdentityLines(source, report); }, GetParam().expected, GetParam().mentions);
}

INSTANTIATE_TEST_SUITE_P(
    Records, IdentityFailures,
    ::testing::Values(FailureCase{R"("Win32_ComputerSystem": [{"Manufacturer": "M", "Model": null}])",
                                  ErrorCode::InvalidUseOfNull, "Win32_ComputerSystem.Model"},
                      FailureCase{R"("Win32_ComputerSystem": [{"Manufacturer": null, "Model": "X"}])",
                                  ErrorCode::InvalidUseOfNull, "Win32_ComputerSystem.Manufacturer"},
                      FailureCase{R"("Win32_ComputerSystem": [{"Model": "X"}])", ErrorCode::PropertyMissing,
                                  "Manufacturer"},
                      FailureCase{R"("Win32_ComputerSystem": [{"Manufacturer": "M", "Model": [1, 2]}])",
                                  ErrorCode::TypeMismatch, "Model"},
                      FailureCase{R"("Win32_BaseBoard": [{"Product": null}])", ErrorCode::InvalidUseOfNull,
                                  "Win32_BaseBoard.Product"},
                      FailureCase{R"("Win32_BaseBoard": [{}])", ErrorCode::PropertyMissing, "Product"}));

TEST(IdentityLines, AFailingQueryIsARunTimeErrorWithItsNumberAndText) {
  auto source = SourceOf(Cimv2(R"("Win32_BaseBoard": {"error": -2147217394, "message": "Not found"})"));
  ReportText report;
  testing::ExpectRuntimeError([&] { AppendIdentityLines(source, report); }, -2147217394, "Not found");
}

// --- BIOS characteristics flags ---

std::string FlagLines(std::uint8_t element6, std::uint8_t element7) {
  SmbiosCapture capture;
  capture.biosCharBytes[6] = element6;
  capture.biosCharBytes[7] = element7;
  ReportText report;
  AppendBiosFlagLines(capture, report);
  return Narrow(report.Text());
}

TEST(BiosFlagLines, TakeTheLowBitsOfTheVendorBytes) {
  struct Case {
    std::uint8_t element6, element7;
    const char* media;
    const char* channel;
  };
  for (const Case& c : {Case{0xFF, 0x03, "7", "3"}, Case{0xF8, 0x04, "0", "0"}, Case{0x0D, 0xFC, "5", "0"},
                        Case{0x05, 0xFF, "5", "3"}, Case{0x00, 0x0A, "0", "2"}}) {
    EXPECT_EQ(FlagLines(c.element6, c.element7),
              std::string("FleetmediaFlag=") + c.media + "\r\nChannelID=" + c.channel + "\r\nBiosCharacteristics= \r\n")
        << int(c.element6) << " " << int(c.element7);
  }
}

TEST(BiosFlagLines, ShowTheLowHalfFirst) {
  SmbiosCapture capture;
  capture.biosCharLowHex = u"7F8B9890";
  capture.biosCharHighHex = u"0A0500";
  ReportText report;
  AppendBiosFlagLines(capture, report);
  EXPECT_EQ(Narrow(report.Text()), "FleetmediaFlag=0\r\nChannelID=0\r\nBiosCharacteristics=7F8B9890 0A0500\r\n");
}

}  // namespace
}  // namespace kestro
