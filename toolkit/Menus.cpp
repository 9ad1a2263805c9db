// Menus: the item tree, Win32 menus built from it, popup tracking and the system menu.
#include "toolkit/Menus.h"

#include <algorithm>

#include "toolkit/Application.h"
#include "toolkit/Forms.h"

namespace qv {

namespace {
UINT NextCommand() {
  // Multiples of 16 below the system's own commands (0xF000 and up).
  static UINT next = 0x1000;
  const UINT command = next;
  next = next + 16 >= 0xF000 ? 0x1000 : next + 16;
  return command;
}
}  // namespace

// ---- TMenuItem ---------------------------------------------------------------------------

QV_PUBLISHED(TMenuItem) {
  using P = Publish<TMenuItem>;
  return {
      P::String("Caption", "TCaption", &TMenuItem::Caption, &TMenuItem::SetCaption),
      P::String("Hint", "string", &TMenuItem::Hint, &TMenuItem::SetHint),
      P::Boolean("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked),
      P::Boolean("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled),
      P::Boolean("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible),
      P::Event("OnClick", "TNotifyEvent"),
  };
}

TMenuItem::TMenuItem(ComponentOwner owner) : TComponent(owner), command_(NextCommand()) {}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  Clear();
}

void TMenuItem::Add(TMenuItem* item) {
  if (!item || item == this) return;
  for (TMenuItem* p = this; p; p = p->parent_) {
    if (p == item) throw EComponentError("A menu item cannot contain itself");
  }
  if (item->parent_) item->parent_->Remove(item);
  items_.push_back(item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
}

void TMenuItem::Clear() {
  for (TMenuItem* item : items_) item->parent_ = nullptr;
  items_.clear();
}

TMenuItem* TMenuItem::FindCommand(UINT command) {
  if (command == command_) return this;
  for (TMenuItem* item : items_) {
    if (TMenuItem* found = item->FindCommand(command)) return found;
  }
  return nullptr;
}

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

void TMenuItem::AppendTo(HMENU menu) const {
  for (const TMenuItem* item : items_) {
    if (!item->visible_) continue;
    if (item->caption_ == "-") {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (item->checked_) flags |= MF_CHECKED;
    if (!item->enabled_) flags |= MF_GRAYED;
    if (!item->items_.empty()) {
      HMENU sub = CreatePopupMenu();
      item->AppendTo(sub);
      AppendMenuA(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), item->caption_.c_str());
    } else {
      AppendMenuA(menu, flags, item->command_, item->caption_.c_str());
    }
  }
}

// ---- TPopupMenu --------------------------------------------------------------------------

QV_PUBLISHED(TPopupMenu) {
  using P = Publish<TPopupMenu>;
  return {P::Object<TMenuItem>("Items", &TPopupMenu::Items, nullptr)};
}

TPopupMenu::TPopupMenu(ComponentOwner owner) : TComponent(owner), items_(Make<TMenuItem>()) {}

void TPopupMenu::Popup(int x, int y) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return;
  items_->AppendTo(menu);
  HWND window = Application().MainFormHandle();
  if (auto* form = dynamic_cast<TForm*>(Owner()); form && form->HandleAllocated()) {
    window = form->Handle();
  }
  SetForegroundWindow(window);
  const UINT command = static_cast<UINT>(TrackPopupMenu(
      menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, window,
      nullptr));
  DestroyMenu(menu);
  if (command == 0) return;
  if (TMenuItem* item = items_->FindCommand(command)) item->Click();
}

// ---- TSystemMenu -------------------------------------------------------------------------

QV_PUBLISHED(TSystemMenu) {
  using P = Publish<TSystemMenu>;
  return {P::Object<TMenuItem>("Items", &TSystemMenu::Items, nullptr)};
}

namespace {
TForm* RequireForm(TComponent* owner) {
  auto* form = dynamic_cast<TForm*>(owner);
  if (!form) throw EComponentError("Form only");
  return form;
}
}  // namespace

TSystemMenu::TSystemMenu(ComponentOwner owner)
    : TComponent(owner), form_(RequireForm(owner.Get())), items_(Make<TMenuItem>()) {
  hook_.Install(form_, [this](TMessage& m) { return HandleMessage(m); });
}

TSystemMenu::~TSystemMenu() {
  hook_.Remove();
  if (form_->HandleAllocated() && baseCount_ >= 0) GetSystemMenu(form_->Handle(), TRUE);
}

void TSystemMenu::Loaded() {
  TComponent::Loaded();
  Rebuild();
}

void TSystemMenu::Rebuild() {
  HMENU menu = GetSystemMenu(form_->Handle(), FALSE);
  if (!menu) return;
  if (baseCount_ < 0) baseCount_ = GetMenuItemCount(menu);
  while (GetMenuItemCount(menu) > baseCount_) DeleteMenu(menu, baseCount_, MF_BYPOSITION);
  if (items_->Count() == 0) return;
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  items_->AppendTo(menu);
}

bool TSystemMenu::HandleMessage(TMessage& m) {
  if (m.Msg == WM_SYSCOMMAND) {
    const UINT command = static_cast<UINT>(m.WParam & 0xFFF0);
    if (command < 0xF000 && command != items_->Command()) {
      if (TMenuItem* item = items_->FindCommand(command)) {
        item->Click();
        m.Result = 0;
        return true;
      }
    }
  } else if (m.Msg == WM_INITMENUPOPUP && HIWORD(m.LParam)) {
    Rebuild();  // captions and ticks may have changed since the last time
  }
  return false;
}

}  // namespace qv
