// The look the toolkit's controls paint with: colours and the default font of forms, panels,
// buttons, check boxes, labels and gauges. The skin of the program replaces the current style
// at run time; every window of the process then repaints with it. Controls read the style at
// paint time and keep none of it. Portable code (no windows.h).
#pragma once

#include <cstdint>
#include <string>

namespace qv {

// A colour as 0x00BBGGRR.
using TColor = uint32_t;

constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
  return TColor(r) | (TColor(g) << 8) | (TColor(b) << 16);
}

struct SkinFont {
  std::string face;
  int pixelHeight = 13;  // character height in pixels
  bool bold = false;

  friend bool operator==(const SkinFont&, const SkinFont&) = default;
};

struct SkinStyle {
  TColor formColor;        // form background
  TColor panelColor;       // panel background
  TColor panelBorder;      // panel frame, when a panel shows one
  TColor textColor;        // labels, check boxes, panel captions
  TColor subtleTextColor;  // disabled text and secondary labels
  TColor linkColor;        // link labels
  TColor shadowColor;      // drop shadows of labels
  TColor buttonFace;
  TColor buttonHot;        // under the mouse
  TColor buttonPressed;
  TColor buttonBorder;
  TColor buttonText;
  TColor accentColor;      // gauge bar, check marks, focus and default-button frames
  TColor gaugeTrack;       // the empty part of a gauge
  TColor checkBoxFace;     // inside of an unticked box
  TColor bevelDark;        // separator lines: upper line
  TColor bevelLight;       //                  lower line
  TColor captionColor;     // title bar and frame of forms when the skin draws frames
  TColor captionTextColor;
  TColor glowColor;        // the glow frame around a button under the mouse
  TColor messageColor;     // message box background
  TColor messageTextColor;
  SkinFont font;           // default font of every control

  // Switches of the skin data that applied the style (not part of a skin's colours):
  bool skinnableForm = false;  // forms paint their frame and title bar in captionColor
  bool buttonGlow = false;     // buttons under the mouse show a glow frame

  friend bool operator==(const SkinStyle&, const SkinStyle&) = default;
};

// The built-in look: light panels, clear flat buttons, one blue accent.
SkinStyle DefaultSkinStyle();

// The style in effect for the whole process (the default one until a skin sets another).
const SkinStyle& CurrentSkinStyle();
// Replaces the style and makes every window of the process repaint with it (top-level windows
// and all their children). Call on the user-interface thread.
void SetCurrentSkinStyle(const SkinStyle& style);

// Counts every SetCurrentSkinStyle; controls that cache measurements compare it.
uint32_t SkinStyleGeneration();

}  // namespace qv
