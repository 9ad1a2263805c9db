// The skin components on real windows: a skin loaded from a .skn file or a stored skin
// becomes the process's look and every window repaints with it (read back pixel by pixel);
// a bad file leaves the current skin; the stored-skin link applies or keeps as its callers
// expect; the switches reach the frames and buttons; the built-in and shipped skins decode.
#include "toolkit/SkinData.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "forms_fixture.h"
#include "support/TestFiles.h"
#include "toolkit/Forms.h"
#include "toolkit/Properties.h"
#include "toolkit/ResourceStrData.h"
#include "toolkit/StdControls.h"
#include "util/Paths.h"

namespace qv {
namespace {

class TfrmSkinTest : public TForm {
  QV_CLASS(TfrmSkinTest, TForm)

 public:
  using TForm::TForm;
  TPanel* pnlBody = nullptr;
  TButton* btnGo = nullptr;

 protected:
  void Describe() override {
    SetName(UniqueName("frmSkinTest"));
    SetCaption("Skin test");
    SetClientSize(240, 140);
    pnlBody = Make<TPanel>();
    pnlBody->SetName("pnlBody");
    pnlBody->SetParent(this);
    pnlBody->SetBounds(10, 10, 120, 60);
    pnlBody->SetCaption("");
    btnGo = Make<TButton>();
    btnGo->SetName("btnGo");
    btnGo->SetParent(this);
    btnGo->SetBounds(10, 90, 90, 30);
    btnGo->SetCaption("Go");
  }
};

QV_PUBLISHED(TfrmSkinTest) { return {}; }

// A skin unlike the built-in ones in every colour that the tests read.
SkinDescription DarkSkin() {
  SkinDescription skin;
  skin.name = "Dark";
  skin.style = DefaultSkinStyle();
  skin.style.formColor = RGBColor(0x20, 0x22, 0x26);
  skin.style.panelColor = RGBColor(0x12, 0x34, 0x56);
  skin.style.captionColor = RGBColor(0xC0, 0x10, 0x20);
  skin.style.glowColor = RGBColor(0x00, 0xE0, 0x40);
  skin.style.messageColor = RGBColor(0x30, 0x30, 0x30);
  skin.style.messageTextColor = RGBColor(0xF0, 0xF0, 0xF0);
  skin.style.font = SkinFont{"Tahoma", 17, true};
  return skin;
}

std::string DarkSkinFile() { return CompressSkinText(SkinText(DarkSkin())); }

COLORREF ClientPixel(HWND window, int x, int y) {
  HDC dc = GetDC(window);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return c;
}

COLORREF WindowPixel(HWND window, int x, int y) {
  HDC dc = GetWindowDC(window);
  const COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return c;
}

// The look of a skin as a skin data applies it, with that skin data's switches.
SkinStyle Applied(const SkinDescription& skin, const TspSkinData& data) {
  SkinStyle style = skin.style;
  style.skinnableForm = data.SkinnableForm();
  style.buttonGlow = data.ShowButtonGlowFrames();
  return style;
}

class SkinDataTest : public test::WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    saved_ = CurrentSkinStyle();
    data = TComponent::MakeUnowned<TspSkinData>();
    darkPath = folder / "Dark.skn";
    test::PlantFile(darkPath, DarkSkinFile());
  }
  void TearDown() override {
    data.reset();
    SetCurrentSkinStyle(saved_);
    WindowTest::TearDown();
  }

  // Pumps the window messages that a repaint leaves behind.
  static void Settle() {
    PumpUntil([] { return false; }, 100);
  }

  test::ScratchFolder folder;
  std::unique_ptr<TspSkinData> data;
  std::string darkPath;

 private:
  SkinStyle saved_;
};

TEST_F(SkinDataTest, ASkinFileBecomesTheLookAndEveryWindowRepaintsWithIt) {
  auto form = CreateUnownedForm<TfrmSkinTest>();
  form->Show();
  UpdateWindow(form->Handle());
  HWND panel = form->pnlBody->Handle();
  ASSERT_EQ(ClientPixel(panel, 60, 30), CurrentSkinStyle().panelColor);
  ASSERT_NE(CurrentSkinStyle().panelColor, DarkSkin().style.panelColor);

  ASSERT_TRUE(data->LoadFromCompressedFile(darkPath)) << data->LastError();
  EXPECT_EQ(CurrentSkinStyle(), Applied(DarkSkin(), *data));
  EXPECT_EQ(data->SkinName(), "Dark");
  EXPECT_TRUE(data->LastError().empty());
  RECT dirty{};
  EXPECT_TRUE(GetUpdateRect(panel, &dirty, FALSE)) << "the panel was not asked to repaint";
  UpdateWindow(form->Handle());
  EXPECT_EQ(ClientPixel(panel, 60, 30), DarkSkin().style.panelColor);
  EXPECT_EQ(ClientPixel(form->Handle(), 200, 40), DarkSkin().style.formColor);
  EXPECT_TRUE(errors.empty());
}

TEST_F(SkinDataTest, ABadSkinFileIsRefusedAndTheCurrentSkinStays) {
  ASSERT_TRUE(data->LoadFromCompressedFile(darkPath));
  const SkinStyle before = CurrentSkinStyle();
  const std::string good = DarkSkinFile();
  std::string wrongText = CompressSkinText("[Skin]\r\nMagic=QVSKIN\r\nVersion=9\r\n");

  struct Case {
    const char* what;
    const char* file;
    std::string bytes;  // not planted when empty and file names a missing one
  } cases[] = {
      {"missing file", "Missing.skn", ""},
      {"empty file", "Empty.skn", ""},
      {"garbage", "Garbage.skn", "not a skin at all"},
      {"truncated", "Truncated.skn", good.substr(0, good.size() - 8)},
      {"newer text version", "Newer.skn", wrongText},
      {"larger than any skin", "Huge.skn", good + std::string(kMaxSkinFileSize, 'x')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = folder / c.file;
    if (std::string(c.file) != "Missing.skn") test::PlantFile(path, c.bytes);
    EXPECT_FALSE(data->LoadFromCompressedFile(path));
    EXPECT_FALSE(data->LastError().empty());
    EXPECT_EQ(CurrentSkinStyle(), before);
    EXPECT_EQ(data->SkinName(), "Dark");
  }
  // A good file after a bad one works again and clears the error.
  EXPECT_TRUE(data->LoadFromCompressedFile(darkPath));
  EXPECT_TRUE(data->LastError().empty());
}

TEST_F(SkinDataTest, SettingAStoredSkinAppliesItAndSettingNoneKeepsTheLook) {
  auto stored = TComponent::MakeUnowned<TspCompressedStoredSkin>();
  stored->LoadBuiltInSkin();
  EXPECT_EQ(stored->CompressedFileName(), "iMetal2.skn");
  const SkinDescription builtIn = stored->Skin();

  data->SetCompressedStoredSkin(stored.get());
  EXPECT_EQ(CurrentSkinStyle(), Applied(builtIn, *data));
  EXPECT_EQ(data->SkinName(), "iMetal2");

  // The engine's switch to a file: none first (which applies nothing), then the file.
  data->SetCompressedStoredSkin(nullptr);
  EXPECT_EQ(CurrentSkinStyle(), Applied(builtIn, *data));
  ASSERT_TRUE(data->LoadFromCompressedFile(darkPath));
  EXPECT_EQ(CurrentSkinStyle().panelColor, DarkSkin().style.panelColor);

  // An empty stored skin applies nothing either; giving back the built-in one restores it.
  auto empty = TComponent::MakeUnowned<TspCompressedStoredSkin>();
  data->SetCompressedStoredSkin(empty.get());
  EXPECT_EQ(CurrentSkinStyle().panelColor, DarkSkin().style.panelColor);
  data->SetCompressedStoredSkin(stored.get());
  EXPECT_EQ(CurrentSkinStyle(), Applied(builtIn, *data));

  // Bad bytes leave a stored skin as it was; its destruction clears the link.
  EXPECT_THROW(stored->SetCompressedData("QVSKN junk"), ESkinFormatError);
  EXPECT_EQ(stored->Skin(), builtIn);
  EXPECT_THROW(stored->LoadFromCompressedFile(folder / "Missing.skn"), ESkinFormatError);
  EXPECT_EQ(stored->CompressedFileName(), "iMetal2.skn");
  stored.reset();
  EXPECT_EQ(data->CompressedStoredSkin(), nullptr);
}

TEST_F(SkinDataTest, AStoredSkinLinkedWhileLoadingIsAppliedOnceLoaded) {
  auto owner = TComponent::MakeUnowned<TComponent>();
  TspSkinData* loaded = nullptr;
  const SkinStyle before = CurrentSkinStyle();
  owner->ReadDescription([&] {
    loaded = owner->Make<TspSkinData>();
    auto* stored = owner->Make<TspCompressedStoredSkin>();
    loaded->SetCompressedStoredSkin(stored);  // still empty: the description fills it next
    stored->LoadFromCompressedFile(darkPath);
    EXPECT_EQ(stored->CompressedFileName(), "Dark.skn");
    EXPECT_EQ(CurrentSkinStyle(), before);
  });
  EXPECT_EQ(CurrentSkinStyle(), Applied(DarkSkin(), *loaded));
}

TEST_F(SkinDataTest, TheSwitchesReachTheFramesAndTheButtons) {
  auto form = CreateUnownedForm<TfrmSkinTest>();
  form->Show();
  ASSERT_TRUE(data->LoadFromCompressedFile(darkPath));
  Settle();
  HWND window = form->Handle();
  const TColor caption = DarkSkin().style.captionColor;
  ASSERT_TRUE(data->SkinnableForm());
  EXPECT_TRUE(CurrentSkinStyle().skinnableForm);
  EXPECT_EQ(WindowPixel(window, 1, 1), caption) << "the skin draws the frame";

  data->SetSkinnableForm(false);  // as for a .nsf.skn skin
  EXPECT_FALSE(CurrentSkinStyle().skinnableForm);
  Settle();
  EXPECT_NE(WindowPixel(window, 1, 1), caption) << "the system draws the frame";

  // A glow frame on the button under the mouse, only while glow frames are on.
  HWND button = form->btnGo->Handle();
  const int middle = form->btnGo->Height() / 2;
  SendMessageA(button, WM_MOUSEMOVE, 0, MAKELPARAM(20, middle));
  UpdateWindow(button);
  EXPECT_EQ(ClientPixel(button, 0, middle), DarkSkin().style.glowColor);
  data->SetShowButtonGlowFrames(false);
  EXPECT_FALSE(CurrentSkinStyle().buttonGlow);
  UpdateWindow(button);
  EXPECT_NE(ClientPixel(button, 0, middle), DarkSkin().style.glowColor);

  // A skin data whose skin is not showing keeps its switches to itself.
  auto other = TComponent::MakeUnowned<TspSkinData>();
  other->SetShowButtonGlowFrames(false);
  other->SetSkinnableForm(true);
  EXPECT_FALSE(CurrentSkinStyle().skinnableForm);
  other->SetShowCaptionButtonGlowFrames(false);
  EXPECT_FALSE(other->ShowCaptionButtonGlowFrames());
}

TEST_F(SkinDataTest, TheSkinDataPublishesWhatTheEngineSwitches) {
  auto stored = TComponent::MakeUnowned<TspCompressedStoredSkin>();
  auto strings = TComponent::MakeUnowned<TspResourceStrData>();
  SetObjectProp(*data, "CompressedStoredSkin", stored.get());
  SetObjectProp(*data, "ResourceStrData", strings.get());
  SetOrdProp(*data, "SkinnableForm", 0);
  SetOrdProp(*data, "ShowButtonGlowFrames", 0);
  SetOrdProp(*data, "ShowCaptionButtonGlowFrames", 0);
  EXPECT_EQ(data->CompressedStoredSkin(), stored.get());
  EXPECT_EQ(data->ResourceStrData(), strings.get());
  EXPECT_FALSE(data->SkinnableForm());
  EXPECT_FALSE(data->ShowButtonGlowFrames());
  EXPECT_FALSE(data->ShowCaptionButtonGlowFrames());
  EXPECT_THROW(SetObjectProp(*data, "CompressedStoredSkin", strings.get()), EPropertyError);
  SetStrProp(*stored, "CompressedFileName", "Blue.skn");
  EXPECT_EQ(stored->CompressedFileName(), "Blue.skn");
  strings.reset();
  EXPECT_EQ(data->ResourceStrData(), nullptr);  // may be missing
}

TEST(SkinFiles, TheBuiltInAndTheShippedSkinsDecode) {
  const SkinDescription builtIn = DecodeSkinFile(BuiltInSkin());
  EXPECT_EQ(builtIn.name, "iMetal2");
  struct Case {
    const char* file;
    const char* name;
  } cases[] = {{"Graphite.skn", "Graphite"}, {"Ocean.nsf.skn", "Ocean"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const std::string bytes = test::ReadWholeFile(GetExeDir() + "..\\dist\\skins\\" + c.file);
    ASSERT_NE(bytes, "<missing>");
    SkinDescription skin;
    ASSERT_NO_THROW(skin = DecodeSkinFile(bytes));
    EXPECT_EQ(skin.name, c.name);
    EXPECT_NE(skin.style.formColor, builtIn.style.formColor);
  }
}

}  // namespace
}  // namespace qv
