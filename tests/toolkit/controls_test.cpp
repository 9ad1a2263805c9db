// Controls: the published property tables the translator reads, gauge clamping, panel
// visibility and z-order, alignment, check boxes and buttons driven by BM_* messages, the
// system menu, pictures, layered forms and the skin style repaint.
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "forms_fixture.h"
#include "toolkit/Application.h"
#include "toolkit/LayeredBitmap.h"
#include "toolkit/Menus.h"
#include "toolkit/Pictures.h"
#include "toolkit/StdControls.h"
#include "toolkit/Timer.h"
#include "support/TestFiles.h"
#include "png_encoder.h"

namespace qv {

class TfrmControls : public TForm {
  QV_CLASS(TfrmControls, TForm)

 public:
  using TForm::TForm;
  TPanel* pnA = nullptr;
  TPanel* pnB = nullptr;
  TGauge* sgProgress = nullptr;
  TCheckBox* rbItem = nullptr;
  TLabel* lblTitle = nullptr;
  TSystemMenu* pmSystem = nullptr;
  TMenuItem* mniAbout = nullptr;

 protected:
  void Describe() override {
    SetBorderStyle(bsSingle);
    SetClientSize(400, 300);
    pnA = Make<TPanel>();
    pnA->SetName("pnA");
    pnA->SetParent(this);
    pnA->SetBounds(10, 10, 200, 100);
    pnB = Make<TPanel>();
    pnB->SetName("pnB");
    pnB->SetParent(this);
    pnB->SetBounds(10, 10, 200, 100);
    sgProgress = Make<TGauge>();
    sgProgress->SetName("sgProgress");
    sgProgress->SetParent(this);
    rbItem = Make<TCheckBox>();
    rbItem->SetName("rbItem");
    rbItem->SetParent(pnA);
    rbItem->SetCaption("Clear Clipboard");
    lblTitle = Make<TLabel>();
    lblTitle->SetName("lblTitle");
    lblTitle->SetParent(this);
    lblTitle->SetCaption("Quorvane");
    lblTitle->Font().SetName("Verdana");
    lblTitle->Font().SetHeight(19);
    lblTitle->Font().SetStyle({fsBold});
    lblTitle->SetShadow(true);
    pmSystem = Make<TSystemMenu>();
    pmSystem->SetName("pmSystem");
    mniAbout = Make<TMenuItem>();
    mniAbout->SetName("mniAbout");
    mniAbout->SetCaption("&About");
    pmSystem->Items()->Add(mniAbout);
  }
};

QV_PUBLISHED(TfrmControls) { return {}; }

namespace {

using ControlsTest = test::WindowTest;

// A picture of one colour, 0xAABBGGRR.
RgbaImage SolidImage(uint32_t width, uint32_t height, uint32_t abgr) {
  RgbaImage image;
  image.width = width;
  image.height = height;
  for (uint32_t i = 0; i < width * height; ++i) {
    for (int c = 0; c < 4; ++c) image.pixels.push_back(static_cast<uint8_t>(abgr >> (8 * c)));
  }
  return image;
}

std::string SolidPng(uint32_t width, uint32_t height, uint32_t abgr) {
  test::PngSpec spec;
  spec.width = width;
  spec.height = height;
  spec.colourType = 6;
  for (uint8_t byte : SolidImage(width, height, abgr).pixels) spec.samples.push_back(byte);
  return test::EncodePng(spec);
}

TEST_F(ControlsTest, PublishesTheTranslatableTextsWithTheirDeclaredTypes) {
  auto form = CreateUnownedForm<TfrmControls>();
  struct Case {
    TPersistent* object;
    const char* property;
    PropertyKind kind;
    const char* type;
  } cases[] = {
      {form.get(), "Caption", PropertyKind::String, "TCaption"},
      {form.get(), "Name", PropertyKind::String, "TComponentName"},
      {form->rbItem, "Caption", PropertyKind::String, "TCaption"},
      {form->rbItem, "Hint", PropertyKind::String, "string"},
      {form->rbItem, "Checked", PropertyKind::Boolean, "Boolean"},
      {form->lblTitle, "Font", PropertyKind::Object, "TFont"},
      {form->mniAbout, "Caption", PropertyKind::String, "TCaption"},
      {form->pnA, "Visible", PropertyKind::Boolean, "Boolean"},
      {form->sgProgress, "Max", PropertyKind::Integer, "Integer"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.property);
    const PropertyInfo* p = FindProperty(*c.object, c.property);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->kind, c.kind);
    EXPECT_EQ(p->typeName, c.type);
  }
  // Written by name, the text reaches the window.
  SetStrProp(*form->rbItem, "Caption", "Empty Recycle Bin");
  char text[64] = {};
  GetWindowTextA(form->rbItem->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Empty Recycle Bin");
  SetStrProp(*form, "Caption", "Quorvane 1.2");
  GetWindowTextA(form->Handle(), text, sizeof text);
  EXPECT_STREQ(text, "Quorvane 1.2");
}

TEST_F(ControlsTest, TheGaugeIsHiddenByDefaultAndKeepsItsValueInRange) {
  auto form = CreateUnownedForm<TfrmControls>();
  TGauge* gauge = form->sgProgress;
  EXPECT_FALSE(gauge->Visible());
  EXPECT_FALSE(IsWindowVisible(gauge->Handle()));
  EXPECT_EQ(gauge->Min(), 0);
  EXPECT_EQ(gauge->Max(), 100);

  struct Step {
    const char* what;
    std::function<void()> act;
    int min, max, value;
  } steps[] = {
      {"value within", [&] { gauge->SetValue(40); }, 0, 100, 40},
      {"value above", [&] { gauge->SetValue(250); }, 0, 100, 100},
      {"value below", [&] { gauge->SetValue(-5); }, 0, 100, 0},
      {"add", [&] { gauge->SetValue(90); gauge->AddValue(30); }, 0, 100, 100},
      {"max to 0 zeroes the value", [&] { gauge->SetMax(0); }, 0, 0, 0},
      {"max grows, value stays", [&] { gauge->SetMax(1500); }, 0, 1500, 0},
      {"steps of 100", [&] { for (int i = 0; i < 13; ++i) gauge->AddValue(100); }, 0, 1500, 1300},
      {"max below value", [&] { gauge->SetMax(1000); }, 0, 1000, 1000},
      {"min above value", [&] { gauge->SetValue(10); gauge->SetMin(50); }, 50, 1000, 50},
      {"max below min", [&] { gauge->SetMax(20); }, 20, 20, 20},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    s.act();
    EXPECT_EQ(gauge->Min(), s.min);
    EXPECT_EQ(gauge->Max(), s.max);
    EXPECT_EQ(gauge->Value(), s.value);
  }
  gauge->SetMin(0);
  gauge->SetMax(200);
  gauge->SetValue(50);
  EXPECT_EQ(gauge->Percent(), 25);
  gauge->Show();
  EXPECT_TRUE(IsWindowVisible(gauge->Handle()) || !IsWindowVisible(form->Handle()));
  EXPECT_TRUE(GetWindowLongPtrA(gauge->Handle(), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(ControlsTest, PanelsShowHideAndChangeTheirZOrder) {
  auto form = CreateUnownedForm<TfrmControls>();
  form->Show();
  HWND a = form->pnA->Handle();
  HWND b = form->pnB->Handle();
  auto above = [](HWND upper, HWND lower) {
    for (HWND w = GetWindow(upper, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT)) {
      if (w == lower) return true;
    }
    return false;
  };
  form->pnB->BringToFront();
  EXPECT_TRUE(above(b, a));
  form->pnA->BringToFront();
  EXPECT_TRUE(above(a, b));
  form->pnA->SendToBack();
  EXPECT_TRUE(above(b, a));

  form->pnA->Hide();
  EXPECT_FALSE(IsWindowVisible(a));
  EXPECT_FALSE(IsWindowVisible(form->rbItem->Handle()));  // its controls go with it
  form->pnA->Show();
  EXPECT_TRUE(IsWindowVisible(a));
  EXPECT_TRUE(IsWindowVisible(form->rbItem->Handle()));
}

TEST_F(ControlsTest, AlignedPanelsStackAgainstTheSidesAndTheClientTakesTheRest) {
  auto form = CreateUnownedForm<TfrmControls>();  // client 400 x 300
  auto* top = form->Make<TPanel>();
  top->SetParent(form.get());
  top->SetHeight(65);
  top->SetAlign(alTop);
  auto* bottom = form->Make<TPanel>();
  bottom->SetParent(form.get());
  bottom->SetHeight(40);
  bottom->SetAlign(alBottom);
  auto* bottom2 = form->Make<TPanel>();
  bottom2->SetParent(form.get());
  bottom2->SetHeight(34);
  bottom2->SetTop(300);  // lowest: stacks first against the bottom edge
  bottom2->SetAlign(alBottom);
  auto* client = form->Make<TPanel>();
  client->SetParent(form.get());
  client->SetAlign(alClient);
  form->HandleNeeded();

  struct Expect {
    TPanel* panel;
    int left, top, width, height;
  } expected[] = {
      {top, 0, 0, 400, 65},
      {bottom2, 0, 266, 400, 34},
      {bottom, 0, 226, 400, 40},
      {client, 0, 65, 400, 161},
  };
  for (const Expect& e : expected) {
    SCOPED_TRACE(e.height);
    EXPECT_EQ(e.panel->Left(), e.left);
    EXPECT_EQ(e.panel->Top(), e.top);
    EXPECT_EQ(e.panel->Width(), e.width);
    EXPECT_EQ(e.panel->Height(), e.height);
  }
  // Hiding one gives its room to the client.
  bottom2->Hide();
  EXPECT_EQ(client->Height(), 195);
  RECT r{};
  GetWindowRect(client->Handle(), &r);
  EXPECT_EQ(r.bottom - r.top, 195);
}

TEST_F(ControlsTest, CheckBoxesAnswerTheButtonMessagesOfADriver) {
  auto form = CreateUnownedForm<TfrmControls>();
  HWND box = form->rbItem->Handle();
  int clicks = 0;
  form->rbItem->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  SendMessageA(box, BM_CLICK, 0, 0);
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(form->rbItem->Checked());
  EXPECT_EQ(clicks, 1);
  SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
  EXPECT_FALSE(form->rbItem->Checked());
  form->rbItem->SetChecked(true);  // from code: no click
  EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(clicks, 1);
  form->rbItem->SetEnabled(false);
  SendMessageA(box, BM_CLICK, 0, 0);  // a disabled box ignores clicks
  EXPECT_TRUE(form->rbItem->Checked());
  EXPECT_EQ(clicks, 1);
}

TEST_F(ControlsTest, SystemMenuItemsAreAppendedAndChosenThroughWmSysCommand) {
  auto form = CreateUnownedForm<TfrmControls>();
  auto* update = form->Make<TMenuItem>();
  update->SetName("mniUpdate");
  update->SetCaption("&Update");
  form->pmSystem->Items()->Add(update);
  form->pmSystem->Rebuild();
  int about = 0, updates = 0;
  form->mniAbout->OnClick = [&](TObject* sender) {
    EXPECT_EQ(sender, form->mniAbout);
    ++about;
  };
  update->OnClick = [&](TObject*) { ++updates; };

  HMENU menu = GetSystemMenu(form->Handle(), FALSE);
  const int count = GetMenuItemCount(menu);
  ASSERT_GE(count, 3);
  char text[64] = {};
  GetMenuStringA(menu, form->mniAbout->Command(), text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "&About");
  GetMenuStringA(menu, update->Command(), text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "&Update");
  EXPECT_EQ(GetMenuItemID(menu, count - 1), update->Command());

  SendMessageA(form->Handle(), WM_SYSCOMMAND, form->mniAbout->Command(), 0);
  SendMessageA(form->Handle(), WM_SYSCOMMAND, update->Command(), 0);
  SendMessageA(form->Handle(), WM_SYSCOMMAND, update->Command(), 0);
  EXPECT_EQ(about, 1);
  EXPECT_EQ(updates, 2);
  // A rebuild after a change of caption replaces, not repeats, the items.
  update->SetCaption("&Check for update");
  form->pmSystem->Rebuild();
  EXPECT_EQ(GetMenuItemCount(menu), count);
  GetMenuStringA(menu, update->Command(), text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "&Check for update");

  // Only a form can own a system menu.
  auto plain = TComponent::MakeUnowned<TComponent>();
  EXPECT_THROW(plain->Make<TSystemMenu>(), EComponentError);
  EXPECT_EQ(plain->ComponentCount(), 0);
}

TEST_F(ControlsTest, ImageListsAndPicturesLoadPngFilesAndRefuseBrokenOnes) {
  test::ScratchFolder folder;
  test::PlantFile(folder / "icon24_01.png", SolidPng(24, 24, 0x80402010));
  test::PlantFile(folder / "title.png", SolidPng(120, 40, 0xFF00FF00));
  test::PlantFile(folder / "broken.png", "not a picture");

  auto form = CreateUnownedForm<TfrmControls>();
  auto* icons = form->Make<TImageList>();
  EXPECT_EQ(icons->Width(), 24);
  EXPECT_EQ(icons->AddFromFile(folder / "icon24_01.png"), 0);
  EXPECT_THROW(icons->AddFromFile(folder / "missing.png"), EPictureError);
  EXPECT_THROW(icons->AddFromFile(folder / "broken.png"), EPictureError);
  EXPECT_EQ(icons->Count(), 1);

  auto* button = form->Make<TButton>();
  button->SetParent(form.get());
  button->SetImages(icons);
  button->SetImageIndex(0);
  button->SetCaption("Clear Now");
  auto* picture = form->Make<TImage>();
  picture->SetParent(form.get());
  picture->SetAutoSize(true);
  picture->LoadFromFile(folder / "title.png");
  EXPECT_EQ(picture->Width(), 120);
  EXPECT_EQ(picture->Height(), 40);
  EXPECT_THROW(picture->LoadFromFile(folder / "broken.png"), EPictureError);
  EXPECT_EQ(picture->Picture().Width(), 120);  // the old picture stays

  form->Show();
  UpdateWindow(form->Handle());  // paints the icon and the picture
  EXPECT_TRUE(errors.empty());
  // A picture on a button whose list goes away is simply not drawn.
  form->RemoveComponent(icons).reset();
  EXPECT_EQ(button->Images(), nullptr);
  UpdateWindow(button->Handle());
}

// A borderless form painted from a premultiplied bitmap, as a splash window is.
TEST_F(ControlsTest, AFormBecomesALayeredPopupPaintedFromABitmap) {
  auto form = CreateUnownedForm<TfrmControls>();
  form->SetBorderStyle(bsNone);
  form->SetExtraExStyle(WS_EX_LAYERED | WS_EX_TOOLWINDOW);
  HWND window = form->Handle();
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_STYLE) & WS_POPUP);
  EXPECT_FALSE(GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION);

  RgbaImage image = SolidImage(60, 30, 0x800000FF);
  LayeredBitmap bitmap(image);
  ASSERT_TRUE(bitmap.Valid());
  form->Show();
  EXPECT_TRUE(bitmap.ApplyTo(window, 200));
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.right - r.left, 60);
  EXPECT_EQ(r.bottom - r.top, 30);
}

TEST_F(ControlsTest, ANewSkinStyleRepaintsEveryWindowOfTheProcess) {
  auto form = CreateUnownedForm<TfrmControls>();
  form->Show();
  UpdateWindow(form->Handle());
  RECT dirty{};
  ASSERT_FALSE(GetUpdateRect(form->rbItem->Handle(), &dirty, FALSE));

  const SkinStyle original = CurrentSkinStyle();
  SkinStyle dark = original;
  dark.formColor = RGBColor(0x20, 0x20, 0x28);
  dark.font.pixelHeight = 20;
  const int labelHeight = form->lblTitle->Height();
  const int checkHeightBefore = form->rbItem->Height();
  SetCurrentSkinStyle(dark);
  EXPECT_TRUE(GetUpdateRect(form->Handle(), &dirty, FALSE));
  EXPECT_TRUE(GetUpdateRect(form->rbItem->Handle(), &dirty, FALSE));
  EXPECT_EQ(form->BackgroundColor(), dark.formColor);
  EXPECT_EQ(form->lblTitle->Height(), labelHeight);  // its own font, not the skin's
  EXPECT_EQ(form->rbItem->Height(), checkHeightBefore);
  UpdateWindow(form->Handle());
  SetCurrentSkinStyle(original);
}

TEST_F(ControlsTest, LabelsFitTheirTextAndWrapLongLinesWithinTheirWidth) {
  auto form = CreateUnownedForm<TfrmControls>();
  auto* single = form->Make<TLabel>();
  single->SetParent(form.get());
  single->SetCaption("Clear your history");
  const int oneLine = single->Height();
  const int shortWidth = single->Width();
  single->SetCaption("Clear your history and protect your privacy!");
  EXPECT_GT(single->Width(), shortWidth);
  EXPECT_EQ(single->Height(), oneLine);

  auto* wrapped = form->Make<TLabel>();
  wrapped->SetParent(form.get());
  wrapped->SetWordWrap(true);
  wrapped->SetWidth(120);
  wrapped->SetCaption("Connecting to the update server, please wait a moment...");
  EXPECT_EQ(wrapped->Width(), 120);
  EXPECT_GE(wrapped->Height(), 3 * oneLine);
  wrapped->SetCaption("Line one\r\nLine two");
  EXPECT_EQ(wrapped->Height(), 2 * oneLine);
}

TEST_F(ControlsTest, LinkLabelsOpenTheirAddressOnlyWhenTheyHaveOne) {
  std::vector<std::string> opened;
  auto previous = TLinkLabel::SetUrlOpener([&](const std::string& url) { opened.push_back(url); });
  auto form = CreateUnownedForm<TfrmControls>();
  auto* link = form->Make<TLinkLabel>();
  link->SetParent(form.get());
  link->SetCaption("Support");
  int clicks = 0;
  link->OnClick = [&](TObject*) { ++clicks; };
  SendMessageA(link->Handle(), BM_CLICK, 0, 0);
  link->SetURL("http://example.invalid/support?PID=1");
  SendMessageA(link->Handle(), BM_CLICK, 0, 0);
  TLinkLabel::SetUrlOpener(previous);
  EXPECT_EQ(opened, (std::vector<std::string>{"http://example.invalid/support?PID=1"}));
  EXPECT_EQ(clicks, 2);
}

TEST_F(ControlsTest, PopupMenusBuildTicksAndSubItemsFromTheItemTree) {
  auto form = CreateUnownedForm<TfrmControls>();
  auto* popup = form->Make<TPopupMenu>();
  auto* skins = form->Make<TMenuItem>();
  skins->SetCaption("Skins");
  auto* metal = form->Make<TMenuItem>();
  metal->SetCaption("Metal");
  metal->SetChecked(true);
  auto* hidden = form->Make<TMenuItem>();
  hidden->SetCaption("Hidden");
  hidden->SetVisible(false);
  popup->Items()->Add(skins);
  skins->Add(metal);
  skins->Add(hidden);
  EXPECT_EQ(popup->Items()->FindCommand(metal->Command()), metal);

  HMENU menu = CreatePopupMenu();
  popup->Items()->AppendTo(menu);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  HMENU sub = GetSubMenu(menu, 0);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(GetMenuItemCount(sub), 1);
  EXPECT_EQ(GetMenuState(sub, metal->Command(), MF_BYCOMMAND) & MF_CHECKED, UINT(MF_CHECKED));
  DestroyMenu(menu);

  // An item destroyed leaves the tree.
  form->RemoveComponent(metal).reset();
  EXPECT_EQ(skins->Count(), 1);
}

}  // namespace
}  // namespace qv
