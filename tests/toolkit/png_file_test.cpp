// Loading a PNG picture from a file in the sandbox.
#include "toolkit/PngFile.h"

#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"
#include "tests/toolkit/png_encoder.h"

namespace qv {
namespace {

std::string ErrorFor(const std::string& path, const std::string& why) {
  std::string text = "\"";
  text += path;
  text += "\": ";
  return text + why;
}

TEST(LoadPngFile, ReadsAFileAndNamesTheFileInItsErrors) {
  test::ScratchFolder folder;
  test::PngSpec spec;
  spec.colourType = 6;
  spec.samples = {10, 20, 30, 40};
  test::PlantFile(folder / "ok.png", test::EncodePng(spec));
  test::PlantFile(folder / "text.png", "not a picture");

  const PngResult ok = LoadPngFile(folder / "ok.png");
  ASSERT_TRUE(ok.ok) << ok.error;
  EXPECT_EQ(ok.image.pixels, (std::vector<uint8_t>{10, 20, 30, 40}));

  const PngResult missing = LoadPngFile(folder / "missing.png");
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.error, ErrorFor(folder / "missing.png", "cannot open the file"));

  const PngResult text = LoadPngFile(folder / "text.png");
  EXPECT_FALSE(text.ok);
  EXPECT_EQ(text.error, ErrorFor(folder / "text.png", "not a PNG file (bad signature)"));
}

}  // namespace
}  // namespace qv
