// The skin toolkit's resource strings and their English defaults.
#include "toolkit/ResourceStrData.h"

namespace qv {

QV_PUBLISHED(TspResourceStrData) {
  using P = Publish<TspResourceStrData>;
  return {
      P::Strings("ResStrings", &TspResourceStrData::resStrings_),
  };
}

// Every name the toolkit asks for (message box, window captions, the window menu), in the
// wording of the shipped English language file.
const char* TspResourceStrData::DefaultResStrings() {
  return "MSG_BTN_YES=&Yes\r\n"
         "MSG_BTN_NO=&No\r\n"
         "MSG_BTN_OK=OK\r\n"
         "MSG_BTN_CANCEL=Cancel\r\n"
         "MSG_BTN_ABORT=&Abort\r\n"
         "MSG_BTN_RETRY=&Retry\r\n"
         "MSG_BTN_IGNORE=&Ignore\r\n"
         "MSG_BTN_ALL=&All\r\n"
         "MSG_BTN_NOTOALL=N&o to All\r\n"
         "MSG_BTN_YESTOALL=Yes to A&ll\r\n"  // Alt+A belongs to All
         "MSG_BTN_HELP=&Help\r\n"
         "MSG_CAP_WARNING=Warning\r\n"
         "MSG_CAP_ERROR=Error\r\n"
         "MSG_CAP_INFORMATION=Information\r\n"
         "MSG_CAP_CONFIRM=Confirm\r\n"
         "MSG_CAP_SHOWFLAG=Don't display this message again\r\n"
         "MI_MINCAPTION=Mi&nimize\r\n"
         "MI_MAXCAPTION=Ma&ximize\r\n"
         "MI_RESTORECAPTION=&Restore\r\n"
         "MI_CLOSECAPTION=&Close\r\n";
}

TspResourceStrData::TspResourceStrData(ComponentOwner owner) : TComponent(owner) {
  resStrings_.SetText(DefaultResStrings());
}

}  // namespace qv
