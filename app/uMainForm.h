// The main window: four category buttons switch between four panels of clean items; every
// item has its own button, "Select All" ticks them all, and "Clear Now" removes every ticked
// item in a fixed order behind a progress gauge. It also carries the framework's non-visual
// parts (engine, language data and translator, form binding, cache enumerator, URL history).
#pragma once

#include <map>
#include <string>
#include <vector>

#include "app/CleanCatalogue.h"
#include "toolkit/Forms.h"

namespace qv {

class TButton;
class TCheckBox;
class TGauge;
class TImage;
class TImageList;
class TLabel;
class TLinkLabel;
class TPanel;
class TTimer;
class TBevel;
class TCLEngine;
class TCLForm;
class TCLMultiLang;
class TCLMultiLangData;
class TIECache;
class TUrlHistory;
class TspMultiPanelsSP;
class TspCompressedStoredSkin;
class TspResourceStrData;
class TspSkinData;

class TfrmMain : public TForm {
  QV_CLASS(TfrmMain, TForm)

 public:
  // routines: the removals behind the items; empty members are bound to the real routines.
  explicit TfrmMain(ComponentOwner owner, CleanRoutines routines = {});

  // "Clear Now": confirmation, Firefox guard, then every ticked item in the fixed order.
  void btnClearAllClick();
  void btnSelectAllClick();

 protected:
  void Describe() override;

 private:
  TCheckBox* CheckBox(const std::string& name) const;
  void DescribePanels();
  TPanel* AddPanel(const std::string& name);
  void AddItemRow(TPanel* panel, const CleanItem& item, int top, const std::string& boxCaption,
                  const std::string& buttonCaption);
  void AddExplanation(TPanel* panel, const std::string& name, const std::string& caption);
  void BindRealRoutines();

  void FormCreate();
  void FormShow();
  void LoadIcons();
  void TickEveryCheckBox();
  void OwnButtonClick(const CleanItem& item);
  bool FirefoxGuard();
  int ShowMessage(const std::string& key, MessageButtons buttons, const std::vector<std::string>& args = {});
  std::string CaptionsOf(const std::vector<std::string>& checkBoxes) const;

  CleanRoutines routines_;
  std::vector<CleanItem> catalogue_;

  TspResourceStrData* spResourceStrData1 = nullptr;
  TspCompressedStoredSkin* spCompressedStoredSkin1 = nullptr;
  TspSkinData* spSkinData1 = nullptr;
  TCLMultiLangData* clmltlngdt1 = nullptr;
  TCLEngine* engine1 = nullptr;
  TCLMultiLang* smLanguage = nullptr;
  TCLForm* clfrm1 = nullptr;
  TIECache* ich1 = nullptr;
  TUrlHistory* UrlHistory1 = nullptr;
  TTimer* tmrClearAll = nullptr;
  TImageList* imglstIcon = nullptr;
  TImageList* pngStore = nullptr;

  TImage* imgTitle = nullptr;
  TLabel* lblTitle = nullptr;
  TLabel* lblSubTitle = nullptr;
  TLinkLabel* btnInstallFF = nullptr;
  TGauge* sgClearall = nullptr;
  TspMultiPanelsSP* pcMain = nullptr;
  TPanel* pnIE = nullptr;
  TPanel* pnFF = nullptr;
  TPanel* pnWH = nullptr;
  TPanel* pnSys = nullptr;
  TButton* btnClearAll = nullptr;
  TButton* btnSelectAll = nullptr;
  TBevel* bev1 = nullptr;
  TButton* btnIE = nullptr;
  TButton* btnFF = nullptr;
  TButton* btnWH = nullptr;
  TButton* btnSF = nullptr;
  std::map<std::string, TCheckBox*> checkBoxes_;  // every item's check box by name
};

}  // namespace qv
