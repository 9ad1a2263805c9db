// The skin toolkit's resource strings: the captions of its standard dialogs (message-box
// buttons, window captions, the "don't display again" check box) as name=value lines, so a
// language switch can translate them and the message box can read them by name.
// Portable code (no windows.h).
#pragma once

#include <string>
#include <string_view>

#include "toolkit/Component.h"
#include "toolkit/StringList.h"

namespace qv {

class TspResourceStrData : public TComponent {
  QV_CLASS(TspResourceStrData, TComponent)

 public:
  // Starts with the English caption of every standard name (see DefaultResStrings).
  explicit TspResourceStrData(ComponentOwner owner);

  TStringList& ResStrings() { return resStrings_; }
  const TStringList& ResStrings() const { return resStrings_; }
  void SetResStrings(const TStrings& lines) { resStrings_.Assign(&lines); }

  // The value of the line with that name (letter case ignored), "" when there is none.
  std::string GetResStr(std::string_view name) const { return resStrings_.Values(name); }

  // The initial lines, one "NAME=caption" per standard name, CR LF separated.
  static const char* DefaultResStrings();

 private:
  TStringList resStrings_;
};

}  // namespace qv
