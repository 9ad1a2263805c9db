// The texts built into the program: the English language file as it was when the program was
// built, which the main window's language data holds as its built-in tables so that every
// text has an English answer even before (or without) a language file.
#pragma once

#include <string>

namespace qv {

// The whole text of dist/langs/English.lan, in the language-file format.
std::string BuiltinEnglishTexts();

}  // namespace qv
