// The message box and the skin: with skin data it opens in the current skin's font, without
// (or once its skin data is gone) in the system's. Kept apart from the form tests because the
// box's result codes and the forms' modal results share their names.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "support/TestFiles.h"
#include "support/WindowDriver.h"
#include "toolkit/Controls.h"
#include "toolkit/SkinData.h"
#include "toolkit/SkinMessage.h"

namespace qv {
namespace {

class SkinMessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = CurrentSkinStyle();
    SkinDescription skin;
    skin.name = "Big";
    skin.style = DefaultSkinStyle();
    skin.style.font = SkinFont{"Tahoma", 19, true};
    test::PlantFile(folder / "Big.skn", CompressSkinText(SkinText(skin)));
  }
  void TearDown() override { SetCurrentSkinStyle(saved_); }

  // The font of the text of a box shown by box, read by a driver on another thread that then
  // closes the box; 0 when no box came up.
  static DWORD_PTR FontOfShownBox(TspSkinMessage& box) {
    std::atomic<DWORD_PTR> font{0};
    std::thread driver([&font] {
      HWND shown = test::WaitForTopLevel(TspSkinMessage::kWindowClass, GetCurrentProcessId(), 5000);
      if (!shown) return;
      if (HWND label = test::FindByName(shown, "lblMessage")) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutA(label, WM_GETFONT, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer);
        font = answer;
      }
      PostMessageA(shown, WM_CLOSE, 0, 0);
    });
    box.MessageDlg("Skinned?", "", MessageKind::Information, {MessageButton::OK}, 0);
    driver.join();
    return font;
  }

  test::ScratchFolder folder;

 private:
  SkinStyle saved_;
};

TEST_F(SkinMessageTest, TheBoxTakesTheSkinsFontWhenItHasSkinData) {
  auto data = TComponent::MakeUnowned<TspSkinData>();
  ASSERT_TRUE(data->LoadFromCompressedFile(folder / "Big.skn")) << data->LastError();
  auto box = TComponent::MakeUnowned<TspSkinMessage>();
  const PropertyInfo* prop = FindProperty(*box, "SkinData");
  ASSERT_NE(prop, nullptr);
  EXPECT_EQ(prop->typeName, "TspSkinData");  // what the form binding looks for
  SetObjectProp(*box, *prop, data.get());
  EXPECT_EQ(box->SkinData(), data.get());

  const auto skinFont = reinterpret_cast<DWORD_PTR>(TFont().Handle(CurrentSkinStyle()));
  EXPECT_EQ(FontOfShownBox(*box), skinFont);
  data.reset();  // the box forgets skin data that goes away and takes the system's look
  EXPECT_EQ(box->SkinData(), nullptr);
  const DWORD_PTR systemFont = FontOfShownBox(*box);
  EXPECT_NE(systemFont, 0u);
  EXPECT_NE(systemFont, skinFont);
}

}  // namespace
}  // namespace qv
