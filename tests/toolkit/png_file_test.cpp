// Loading a PNG picture from a file in the sandbox.
#include <gtest/gtest.h>

#include "tests/support/TestFiles.h"
#include "tests/toolkit/png_encoder.h"
#include "toolkit/PngFile.h"
#include "util/Handles.h"

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

TEST(LoadPngFile, RefusesAFileOverTheSizeLimitWithoutReadingIt) {
  test::ScratchFolder folder;
  const std::string path = folder / "huge.png";
  {
    // Sparse: only the size is set, so the test costs no disk space.
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    LARGE_INTEGER size;
    size.QuadPart = static_cast<LONGLONG>(kPngMaxFileSize) + 1;
    ASSERT_TRUE(SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(file.Get()));
  }
  const PngResult r = LoadPngFile(path);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.error, ErrorFor(path, "the file is too large for a picture"));
}

}  // namespace
}  // namespace qv
