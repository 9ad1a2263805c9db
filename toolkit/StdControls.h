// The standard controls, all custom-painted with the current skin style: push button with an
// image-list icon, check box, label (font, colour, drop shadow, word wrap), link label, panel,
// separator line (bevel) and progress gauge.
#pragma once

#include <string>

#include "toolkit/Controls.h"

namespace qv {

class TImageList;

enum TAlignment { taLeftJustify, taRightJustify, taCenter };

// A push button. A non-zero ModalResult is handed to its form when clicked (which ends a
// modal loop); Default answers Enter and Cancel answers Esc anywhere on the form.
// Answers BM_CLICK, like a system button.
// Hover and press state of a clickable control: hot while the mouse is over it, pressed from a
// left-button press on it until the button is released.
struct PointerState {
  bool hot = false;
  bool pressed = false;
};

class TButton : public TWinControl {
  QV_CLASS(TButton, TWinControl)

 public:
  explicit TButton(ComponentOwner owner);

  int ModalResult() const { return modalResult_; }
  void SetModalResult(int result) { modalResult_ = result; }
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }

  // The icon drawn left of the caption: picture ImageIndex of Images (none when either is
  // missing or the index is out of range).
  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int index);

  void Click() override;
  bool WantsDialogKey(WORD key) const override;

 protected:
  void WndProc(TMessage& message) override;
  void Paint(HDC dc, const RECT& client) override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  int modalResult_ = 0;
  bool default_ = false;
  bool cancel_ = false;
  TImageList* images_ = nullptr;
  int imageIndex_ = -1;
  PointerState pointer_;
  bool spaceDown_ = false;
};

// A check box; a click (mouse, space bar or BM_CLICK) toggles Checked and then runs OnClick.
// Setting Checked from code runs no handler. Answers BM_GETCHECK and BM_SETCHECK.
class TCheckBox : public TWinControl {
  QV_CLASS(TCheckBox, TWinControl)

 public:
  explicit TCheckBox(ComponentOwner owner);

  bool Checked() const { return checked_; }
  void SetChecked(bool checked);

  void Click() override;

 protected:
  void WndProc(TMessage& message) override;
  void Paint(HDC dc, const RECT& client) override;

 private:
  bool checked_ = false;
  PointerState pointer_;
};

// Text on the background of its parent. AutoSize (on by default) fits the bounds to a single
// line of text; WordWrap keeps the width and breaks lines (and, with AutoSize, fits the
// height). Shadow draws the text a second time, offset, in ShadowColor underneath.
class TLabel : public TWinControl {
  QV_CLASS(TLabel, TWinControl)

 public:
  explicit TLabel(ComponentOwner owner);

  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool autoSize);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool wrap);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool Shadow() const { return shadow_; }
  void SetShadow(bool shadow);
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor color);

  // Fits the bounds to the text now (AutoSize does it after every change).
  void AdjustBounds();

 protected:
  void Paint(HDC dc, const RECT& client) override;
  void CaptionChanged() override;
  void AppearanceChanged() override;
  void HandleCreated() override;
  virtual TColor TextColor() const;
  virtual TFontStyles ExtraFontStyle() const { return {}; }
  HFONT CurrentFont() const;

 private:
  UINT DrawFlags() const;

  bool autoSize_ = true;
  bool wordWrap_ = false;
  TAlignment alignment_ = taLeftJustify;
  bool shadow_ = false;
  TColor shadowColor_ = clDefault;
};

// A label that opens its URL in the default browser when clicked (nothing for an empty URL);
// underlined, link-coloured, with the hand cursor. OnClick runs as well.
class TLinkLabel : public TLabel {
  QV_CLASS(TLinkLabel, TLabel)

 public:
  explicit TLinkLabel(ComponentOwner owner);

  const std::string& URL() const { return url_; }
  void SetURL(const std::string& url) { url_ = url; }

  void Click() override;

  // How a link is opened; tests replace it to see what would be opened.
  using UrlOpener = std::function<void(const std::string& url)>;
  static UrlOpener SetUrlOpener(UrlOpener opener);

 protected:
  void WndProc(TMessage& message) override;
  TColor TextColor() const override;
  TFontStyles ExtraFontStyle() const override { return {fsUnderline}; }

 private:
  std::string url_;
};

// A plain container with the skin's panel colour and, with Border, a thin frame. The caption,
// when there is one, is drawn in the middle.
class TPanel : public TWinControl {
  QV_CLASS(TPanel, TWinControl)

 public:
  explicit TPanel(ComponentOwner owner);

  bool Border() const { return border_; }
  void SetBorder(bool border);
  TColor BackgroundColor() const override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint(HDC dc, const RECT& client) override;

 private:
  bool border_ = false;
};

// A separator line: horizontal when wider than high, else vertical.
class TBevel : public TWinControl {
  QV_CLASS(TBevel, TWinControl)

 public:
  explicit TBevel(ComponentOwner owner);

 protected:
  void Paint(HDC dc, const RECT& client) override;
};

// A progress bar, hidden until shown. Value always lies within Min..Max: a value outside is
// clamped, and narrowing the range pulls the value in (so Max := 0 with Min 0 sets it to 0).
// ShowText draws the percentage in the middle.
class TGauge : public TWinControl {
  QV_CLASS(TGauge, TWinControl)

 public:
  explicit TGauge(ComponentOwner owner);

  int Min() const { return min_; }
  void SetMin(int min);
  int Max() const { return max_; }
  void SetMax(int max);
  int Value() const { return value_; }
  void SetValue(int value);
  void AddValue(int delta) { SetValue(value_ + delta); }
  bool ShowText() const { return showText_; }
  void SetShowText(bool show);
  // Value as a percentage of the range (0 for an empty range).
  int Percent() const;

 protected:
  void Paint(HDC dc, const RECT& client) override;

 private:
  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  bool showText_ = false;
};

}  // namespace qv
