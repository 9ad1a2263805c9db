// Menus: menu items with captions, ticks and click events, popup menus built from them, and
// the extension of a form's system menu with items of its own.
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/Controls.h"

namespace qv {

class TForm;

// A menu item. Items are components of the form (so they have names and are translated);
// the menu structure is kept apart: Add makes an item a sub-item of this one without changing
// its owner. A Caption of "-" is a separator.
class TMenuItem : public TComponent {
  QV_CLASS(TMenuItem, TComponent)

 public:
  explicit TMenuItem(ComponentOwner owner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption) { caption_ = caption; }
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  bool Checked() const { return checked_; }
  void SetChecked(bool checked) { checked_ = checked; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }

  void Add(TMenuItem* item);
  void Remove(TMenuItem* item);
  void Clear();  // detaches every sub-item (they stay with their owners)
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<size_t>(index)); }
  TMenuItem* ParentItem() const { return parent_; }

  // The command number this item has in every menu built from it (a multiple of 16, so that
  // it also serves in system menus).
  UINT Command() const { return command_; }
  // This item or one of its sub-items with that command number.
  TMenuItem* FindCommand(UINT command);

  virtual void Click();
  TNotifyEvent OnClick;

  // Appends the visible sub-items to a Win32 menu (sub-menus for items with sub-items).
  void AppendTo(HMENU menu) const;

 private:
  std::string caption_;
  std::string hint_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  UINT command_;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
};

// A popup menu: Items() holds the entries (the root item belongs to the popup menu).
class TPopupMenu : public TComponent {
  QV_CLASS(TPopupMenu, TComponent)

 public:
  explicit TPopupMenu(ComponentOwner owner);

  TMenuItem* Items() const { return items_; }
  // Shows the menu at a screen point and runs the click of the chosen item.
  void Popup(int x, int y);

 private:
  TMenuItem* items_;
};

// The system menu of the form that owns it, extended with Items() after a separator. Choosing
// one of them (WM_SYSCOMMAND with its command number) runs its click. Captions, ticks and
// enabled states are brought up to date each time the menu opens.
class TSystemMenu : public TComponent {
  QV_CLASS(TSystemMenu, TComponent)

 public:
  // The owner must be a form; otherwise EComponentError "Form only".
  explicit TSystemMenu(ComponentOwner owner);
  ~TSystemMenu() override;

  TMenuItem* Items() const { return items_; }
  // Puts the items into the window's system menu now (done when the form has loaded).
  void Rebuild();

 protected:
  void Loaded() override;

 private:
  bool HandleMessage(TMessage& message);

  TForm* form_;
  TMenuItem* items_;
  WindowProcHook hook_;
  int baseCount_ = -1;  // the system menu's own entries; ours follow them
};

}  // namespace qv
