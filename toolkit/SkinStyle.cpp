// The current skin style and the process-wide repaint that follows a change of it.
#include "toolkit/SkinStyle.h"

#include <windows.h>

namespace qv {

namespace {

SkinStyle& Current() {
  static SkinStyle style = DefaultSkinStyle();
  return style;
}

uint32_t generation = 0;

BOOL CALLBACK RepaintIfOurs(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId)) {
    // Controls that size themselves to their text hear of the change before they repaint.
    static const UINT changed = RegisterWindowMessageA("Qv SkinStyleChanged");
    SendMessageA(window, changed, 0, 0);
    EnumChildWindows(
        window,
        [](HWND child, LPARAM) -> BOOL {
          SendMessageA(child, changed, 0, 0);
          return TRUE;
        },
        0);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  return TRUE;
}

}  // namespace

SkinStyle DefaultSkinStyle() {
  SkinStyle s;
  s.formColor = RGBColor(0xF3, 0xF5, 0xF8);
  s.panelColor = RGBColor(0xFF, 0xFF, 0xFF);
  s.panelBorder = RGBColor(0xD9, 0xDE, 0xE5);
  s.textColor = RGBColor(0x1F, 0x29, 0x33);
  s.subtleTextColor = RGBColor(0x7A, 0x84, 0x8F);
  s.linkColor = RGBColor(0x1A, 0x6F, 0xD1);
  s.shadowColor = RGBColor(0xC4, 0xCB, 0xD4);
  s.buttonFace = RGBColor(0xFF, 0xFF, 0xFF);
  s.buttonHot = RGBColor(0xE8, 0xF1, 0xFC);
  s.buttonPressed = RGBColor(0xD3, 0xE4, 0xF8);
  s.buttonBorder = RGBColor(0xC5, 0xCD, 0xD8);
  s.buttonText = RGBColor(0x1F, 0x29, 0x33);
  s.accentColor = RGBColor(0x2B, 0x7D, 0xE9);
  s.gaugeTrack = RGBColor(0xE3, 0xE8, 0xEE);
  s.checkBoxFace = RGBColor(0xFF, 0xFF, 0xFF);
  s.bevelDark = RGBColor(0xD0, 0xD6, 0xDE);
  s.bevelLight = RGBColor(0xFF, 0xFF, 0xFF);
  s.captionColor = RGBColor(0x2B, 0x7D, 0xE9);
  s.captionTextColor = RGBColor(0xFF, 0xFF, 0xFF);
  s.glowColor = RGBColor(0x8C, 0xBF, 0xF5);
  s.messageColor = RGBColor(0xF3, 0xF5, 0xF8);
  s.messageTextColor = RGBColor(0x1F, 0x29, 0x33);
  s.font = SkinFont{"Tahoma", 13, false};
  return s;
}

const SkinStyle& CurrentSkinStyle() { return Current(); }

uint32_t SkinStyleGeneration() { return generation; }

void SetCurrentSkinStyle(const SkinStyle& style) {
  Current() = style;
  ++generation;
  EnumWindows(RepaintIfOurs, static_cast<LPARAM>(GetCurrentProcessId()));
}

}  // namespace qv
