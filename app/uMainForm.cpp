#include "app/uMainForm.h"

#include "app/IconFiles.h"
#include "app/MultiPanelsSP.h"
#include "cleaning/Firefox.h"
#include "cleaning/IECache.h"
#include "cleaning/UrlHistory.h"
#include "cleaning/uCC.h"
#include "localisation/BuiltinTexts.h"
#include "localisation/CLForm.h"
#include "localisation/CLMultiLang.h"
#include "shell/CLEngine.h"
#include "shell/CLSettings.h"
#include "toolkit/Application.h"
#include "toolkit/Pictures.h"
#include "toolkit/ResourceStrData.h"
#include "toolkit/SkinData.h"
#include "toolkit/StdControls.h"
#include "toolkit/Timer.h"
#include "util/Files.h"
#include "util/PathText.h"

namespace qv {

QV_PUBLISHED(TfrmMain) { return {}; }

namespace {

// The grey of the explanatory labels and the subtitle.
constexpr TColor kGreyText = 0x00707070;

// The caption of each item's check box and own button, in catalogue order.
struct ItemText {
  const char* box;
  const char* button;
};
const ItemText kItemTexts[] = {
    {"Clear Browser History", "Clear Now"},
    {"Delete Temporary Internet Files (Cache)", "Delete Now"},
    {"Delete Cookies", "Delete Now"},
    {"Delete stored Passwords", "Delete Now"},
    {"Clear Browser History", "Clear Now"},
    {"Delete Cache", "Delete Now"},
    {"Delete Cookies", "Delete Now"},
    {"Delete stored Passwords", "Delete Now"},
    {"Clear Clipboard", "Clear Now"},
    {"Empty Recycle Bin", "Clear Now"},
    {"Empty Windows Temporary Folder", "Clear Now"},
    {"Clear Recent Documents List", "Clear Now"},
    {"Clear Windows Run History", "Clear Now"},
    {"Clear Windows search \"Files and Folders\" History", "Clear Now"},
    {"Clear Start Menu Open Programs", "Clear Now"},
};

// Where each item stands: its panel (0 IE, 1 Firefox, 2 Windows history, 3 system) and row.
struct ItemPlace {
  int panel;
  int top;
};
const ItemPlace kItemPlaces[] = {
    {0, 24}, {0, 72}, {0, 104}, {0, 136}, {1, 24}, {1, 72}, {1, 104}, {1, 136},
    {3, 24}, {3, 56}, {3, 88},  {2, 24},  {2, 56}, {2, 88}, {2, 120},
};

const char kExplanation[] = "(Including Browsing, Search, Address Bar and Form AutoComplete)";

}  // namespace

TfrmMain::TfrmMain(ComponentOwner owner, CleanRoutines routines)
    : TForm(owner), routines_(std::move(routines)) {}

TCheckBox* TfrmMain::CheckBox(const std::string& name) const { return checkBoxes_.at(name); }

void TfrmMain::Describe() {
  SetName("frmMain");
  SetCaption("Quorvane");
  SetClientSize(678, 368);
  SetPosition(poScreenCenter);
  SetBorderStyle(bsSingle);
  SetBorderIcons({biSystemMenu, biMinimize});

  // The non-visual parts, in the order their loaded notifications must run: the skin and the
  // language data before the engine that applies and reads them, the engine before the
  // translator and the form binding that take their data from it.
  spResourceStrData1 = Make<TspResourceStrData>();
  spResourceStrData1->SetName("spResourceStrData1");
  spCompressedStoredSkin1 = Make<TspCompressedStoredSkin>();
  spCompressedStoredSkin1->SetName("spCompressedStoredSkin1");
  spCompressedStoredSkin1->SetCompressedFileName("iMetal2.skn");
  spCompressedStoredSkin1->LoadBuiltInSkin();
  spSkinData1 = Make<TspSkinData>();
  spSkinData1->SetName("spSkinData1");
  spSkinData1->SetResourceStrData(spResourceStrData1);
  spSkinData1->SetCompressedStoredSkin(spCompressedStoredSkin1);

  clmltlngdt1 = Make<TCLMultiLangData>();
  clmltlngdt1->SetName("clmltlngdt1");
  clmltlngdt1->SetAutoApply(false);
  clmltlngdt1->SetExcludeEmptyProp(true);
  clmltlngdt1->SetExcludeNumberEndProps(true);
  clmltlngdt1->CurrentData().SetText(BuiltinEnglishTexts());
  clmltlngdt1->DefaultData().SetText(BuiltinEnglishTexts());

  engine1 = Make<TCLEngine>();
  engine1->SetName("engine1");
  engine1->SetSkinData(spSkinData1);
  engine1->SetLanguageData(clmltlngdt1);
  engine1->SettingDefault().SetText("Path.Skins=skins\r\nPath.Languages=langs\r\n");
  engine1->SetTitleIncludeVer(true);

  smLanguage = Make<TCLMultiLang>();
  smLanguage->SetName("smLanguage");
  smLanguage->SetLanguageData(clmltlngdt1);
  clfrm1 = Make<TCLForm>();
  clfrm1->SetName("clfrm1");

  ich1 = Make<TIECache>();
  ich1->SetName("ich1");
  ich1->SetFilterOptions({TFilterOption::NORMAL_ENTRY, TFilterOption::STICKY_ENTRY, TFilterOption::COOKIE_ENTRY,
                          TFilterOption::URLHISTORY_ENTRY, TFilterOption::TRACK_OFFLINE_ENTRY,
                          TFilterOption::TRACK_ONLINE_ENTRY});
  ich1->SearchPattern = TSearchPattern::spAll;
  UrlHistory1 = Make<TUrlHistory>();
  UrlHistory1->SetName("UrlHistory1");

  tmrClearAll = Make<TTimer>();
  tmrClearAll->SetName("tmrClearAll");
  tmrClearAll->SetEnabled(false);
  tmrClearAll->SetInterval(100);
  tmrClearAll->OnTimer = [this](TObject*) { sgClearall->SetValue(sgClearall->Value() + 1); };

  imglstIcon = Make<TImageList>();
  imglstIcon->SetName("imglstIcon");
  pngStore = Make<TImageList>();
  pngStore->SetName("pngStore");

  // The controls, created in tab order where they take the focus.
  sgClearall = Make<TGauge>();
  sgClearall->SetName("sgClearall");
  sgClearall->SetParent(this);
  sgClearall->SetBounds(192, 72, 467, 20);
  sgClearall->SetMin(0);
  sgClearall->SetMax(100);
  sgClearall->SetShowText(false);
  sgClearall->Hide();

  pcMain = Make<TspMultiPanelsSP>();
  pcMain->SetName("pcMain");
  pcMain->SetParent(this);
  pcMain->SetBounds(192, 96, 467, 256);
  DescribePanels();

  struct SideButton {
    TButton** field;
    const char* name;
    int top;
    const char* caption;
    int icon;
  };
  const SideButton sideButtons[] = {
      {&btnClearAll, "btnClearAll", 97, "Clear Now", 0},      {&btnSelectAll, "btnSelectAll", 140, "Select All", 1},
      {&btnIE, "btnIE", 191, "Internet Explorer", 2},          {&btnFF, "btnFF", 234, "Fire Fox", 3},
      {&btnWH, "btnWH", 277, "Windows History", 4},            {&btnSF, "btnSF", 320, "System Files", 5},
  };
  for (const SideButton& side : sideButtons) {
    TButton* button = Make<TButton>();
    button->SetName(side.name);
    button->SetParent(this);
    button->SetBounds(9, side.top, 167, 38);
    button->SetCaption(side.caption);
    button->SetImages(imglstIcon);
    button->SetImageIndex(side.icon);
    *side.field = button;
  }
  btnClearAll->OnClick = [this](TObject*) { btnClearAllClick(); };
  btnSelectAll->OnClick = [this](TObject*) { btnSelectAllClick(); };
  btnIE->OnClick = [this](TObject*) { pcMain->SetActivePanel(pnIE); };
  btnFF->OnClick = [this](TObject*) { pcMain->SetActivePanel(pnFF); };
  btnWH->OnClick = [this](TObject*) { pcMain->SetActivePanel(pnWH); };
  btnSF->OnClick = [this](TObject*) { pcMain->SetActivePanel(pnSys); };

  bev1 = Make<TBevel>();
  bev1->SetName("bev1");
  bev1->SetParent(this);
  bev1->SetBounds(8, 184, 169, 2);

  imgTitle = Make<TImage>();
  imgTitle->SetName("imgTitle");
  imgTitle->SetParent(this);
  imgTitle->SetBounds(56, 8, 128, 80);
  imgTitle->SetAutoSize(true);

  lblTitle = Make<TLabel>();
  lblTitle->SetName("lblTitle");
  lblTitle->SetParent(this);
  lblTitle->SetBounds(192, 16, 200, 24);
  lblTitle->SetCaption("Quorvane");
  lblTitle->Font().SetName("Verdana");
  lblTitle->Font().SetHeight(19);
  lblTitle->Font().SetStyle({fsBold});
  lblTitle->SetShadow(true);

  lblSubTitle = Make<TLabel>();
  lblSubTitle->SetName("lblSubTitle");
  lblSubTitle->SetParent(this);
  lblSubTitle->SetBounds(196, 45, 400, 16);
  lblSubTitle->SetCaption("Clear your history and protect your privacy!");
  lblSubTitle->Font().SetName("Verdana");
  lblSubTitle->Font().SetHeight(12);
  lblSubTitle->Font().SetStyle({fsBold});
  lblSubTitle->Font().SetColor(kGreyText);

  btnInstallFF = Make<TLinkLabel>();
  btnInstallFF->SetName("btnInstallFF");
  btnInstallFF->SetParent(this);
  btnInstallFF->SetBounds(452, 6, 200, 16);
  btnInstallFF->SetCaption("Install Firefox Extension");
  btnInstallFF->Hide();

  OnCreate = [this](TObject*) { FormCreate(); };
  OnShow = [this](TObject*) { FormShow(); };
}

TPanel* TfrmMain::AddPanel(const std::string& name) {
  TPanel* panel = Make<TPanel>();
  panel->SetName(name);
  panel->SetParent(pcMain);
  panel->SetAlign(alClient);
  panel->Hide();
  return panel;
}

void TfrmMain::AddItemRow(TPanel* panel, const CleanItem& item, int top, const std::string& boxCaption,
                          const std::string& buttonCaption) {
  TCheckBox* box = Make<TCheckBox>();
  box->SetName(item.checkBox);
  box->SetParent(panel);
  box->SetBounds(24, top, 340, 17);
  box->SetCaption(boxCaption);
  checkBoxes_[item.checkBox] = box;

  TButton* button = Make<TButton>();
  button->SetName(item.button);
  button->SetParent(panel);
  button->SetBounds(376, top - 4, 75, 25);
  button->SetCaption(buttonCaption);
  if (item.hidden) {
    box->Hide();
    button->Hide();
  } else {
    button->OnClick = [this, item](TObject*) { OwnButtonClick(item); };
  }
}

void TfrmMain::AddExplanation(TPanel* panel, const std::string& name, const std::string& caption) {
  TLabel* label = Make<TLabel>();
  label->SetName(name);
  label->SetParent(panel);
  label->SetBounds(48, 48, 400, 16);
  label->SetCaption(caption);
  label->Font().SetColor(kGreyText);
}

void TfrmMain::DescribePanels() {
  pnIE = AddPanel("pnIE");
  pnFF = AddPanel("pnFF");
  pnWH = AddPanel("pnWH");
  pnSys = AddPanel("pnSys");
  TPanel* panels[] = {pnIE, pnFF, pnWH, pnSys};

  BindRealRoutines();
  catalogue_ = BuildCleanCatalogue(routines_);
  for (size_t i = 0; i < catalogue_.size(); ++i)
    AddItemRow(panels[kItemPlaces[i].panel], catalogue_[i], kItemPlaces[i].top, kItemTexts[i].box,
               kItemTexts[i].button);
  AddExplanation(pnIE, "lblClearBrowserH", kExplanation);
  AddExplanation(pnFF, "lblFFClearBH", kExplanation);
}

// The real removals. Each item's own button and its "Clear Now" step run the same routine,
// so both remove the same trace.
void TfrmMain::BindRealRoutines() {
  auto bind = [](std::function<bool()>& slot, std::function<bool()> real) {
    if (!slot) slot = std::move(real);
  };
  bind(routines_.ieHistory, [this] {
    const bool script = ClearIEHistory();
    // A store that cannot clear (Wine's answers "not implemented") holds no history of its own.
    const HRESULT history = UrlHistory1->ClearHistory();
    const bool historyCleared = SUCCEEDED(history) || history == E_NOTIMPL;
    ich1->SearchPattern = TSearchPattern::spUrl;
    const bool entries = ich1->DeleteAllEntries();
    return script && historyCleared && entries;
  });
  bind(routines_.ieTemporaryFiles, [] { return DeleteIETemporaryFiles(); });
  bind(routines_.ieCookies, [] { return PurgeUrlCache(); });
  bind(routines_.iePasswords, [] {
    const bool cache = PurgeUrlCache();
    return DeleteIEStoredPasswords() && cache;
  });
  bind(routines_.firefoxHistory, [] {
    bool all = true;
    for (const char* file : {"places.sqlite", "places.sqlite-journal", "downloads.sqlite", "formhistory.sqlite"})
      all = DeleteProfileFile(file) && all;
    return all;
  });
  bind(routines_.firefoxCache, [] { return DeleteFirefoxCache(); });
  bind(routines_.firefoxCookies, [] {
    const bool cookies = DeleteProfileFile("cookies.sqlite");
    return DeleteProfileFile("cookies.sqlite-journal") && cookies;
  });
  bind(routines_.firefoxPasswords, [] { return DeleteFirefoxPasswords(); });
  bind(routines_.clipboard, [] { return ClearClipboard(); });
  bind(routines_.recycleBin, [] { return EmptyRecycleBin(Application().MainFormHandle()); });
  bind(routines_.temporaryFolder, [] { return EmptyTempFolder(); });
  bind(routines_.recentDocuments, [] { return ClearRecentDocuments(); });
  bind(routines_.runHistory, [] { return ClearRunHistory(); });
}

void TfrmMain::FormCreate() {
  LoadIcons();
  btnInstallFF->SetEnabled(IsFirefoxInstalled());
  // A missing or unreadable title picture is an error of the start-up: the steps after it
  // do not run, and the application shows the error.
  const std::string exeDir = ExtractFilePath(Application().ExeName());
  pngStore->Clear();
  pngStore->AddFromFile(exeDir + "res\\title.png");
  imgTitle->SetPicture(pngStore->Picture(0));
  TickEveryCheckBox();
  SetCaption(engine1->GetProgramName() + " " + GetSettings()->ReadString("APP.VER"));
}

void TfrmMain::FormShow() {
  pcMain->SetActivePanel(pnIE);
  btnIE->SetFocus();
}

void TfrmMain::LoadIcons() {
  const std::string exeDir = ExtractFilePath(Application().ExeName());
  for (const std::string& file : FindIconFiles(exeDir, [](const std::string& path) { return FileExists(path); }))
    imglstIcon->AddFromFile(file);
}

void TfrmMain::TickEveryCheckBox() {
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* box = dynamic_cast<TCheckBox*>(Components(i))) box->SetChecked(true);
}

void TfrmMain::btnSelectAllClick() { TickEveryCheckBox(); }

int TfrmMain::ShowMessage(const std::string& key, MessageButtons buttons, const std::vector<std::string>& args) {
  return engine1->ShowKeyedMessage(key, args, 0, MessageKind::Information, buttons, 0, false);
}

std::string TfrmMain::CaptionsOf(const std::vector<std::string>& checkBoxes) const {
  std::string captions;
  for (const std::string& name : checkBoxes) {
    if (!captions.empty()) captions += "\r\n";
    captions += CheckBox(name)->Caption();
  }
  return captions;
}

// Firefox rewrites its files while it runs, so nothing is removed then.
bool TfrmMain::FirefoxGuard() {
  if (!IsFirefoxInstalled()) {
    ShowMessage("MSGBOX_FireFoxIsNotInstalled", {MessageButton::OK});
    return false;
  }
  if (IsFirefoxRunning()) {
    ShowMessage("MSGBOX_CloseFFAndClear", {MessageButton::OK});
    return false;
  }
  return true;
}

void TfrmMain::OwnButtonClick(const CleanItem& item) {
  if (item.firefox && !FirefoxGuard()) return;
  if (item.remove())
    ShowMessage("MSGBOX_Cleared", {MessageButton::OK});
  else
    ShowMessage("MSGBOX_ClearedPartly", {MessageButton::OK}, {CheckBox(item.checkBox)->Caption()});
}

void TfrmMain::btnClearAllClick() {
  if (ShowMessage("MSGBOX_ClearNotify", {MessageButton::Yes, MessageButton::No}) != mrYes) return;

  // Firefox writes its files back while it runs, so with any Firefox item ticked (the
  // passwords included) nothing at all is removed.
  bool firefoxTicked = false;
  for (const CleanItem& item : catalogue_) firefoxTicked = firefoxTicked || (item.firefox && CheckBox(item.checkBox)->Checked());
  if (firefoxTicked && IsFirefoxRunning()) {
    ShowMessage("MSGBOX_CloseFFAndClear", {MessageButton::OK});
    return;
  }

  sgClearall->SetMax(0);
  int ticked = 0;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* box = dynamic_cast<TCheckBox*>(Components(i)); box != nullptr && box->Checked()) ++ticked;
  sgClearall->SetMax(ClearGaugeMaximum(ticked));
  if (sgClearall->Max() == 0) {
    ShowMessage("MSGBOX_NoItemChoosed", {MessageButton::OK});
    return;
  }

  sgClearall->Show();
  tmrClearAll->SetEnabled(true);
  const std::vector<std::string> notCleared = RunClearPass(
      catalogue_, [this](const std::string& name) { return CheckBox(name)->Checked(); },
      [this] {
        sgClearall->SetValue(sgClearall->Value() + 100);
        Application().ProcessMessages();
      });
  sgClearall->Hide();
  tmrClearAll->SetEnabled(false);

  if (notCleared.empty())
    ShowMessage("MSGBOX_CLEARALLCLEARED", {MessageButton::OK});
  else
    ShowMessage("MSGBOX_CLEARALLPARTLY", {MessageButton::OK}, {CaptionsOf(notCleared)});
}

}  // namespace qv
