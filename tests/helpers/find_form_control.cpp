// Test helper, the way an outside driver sees the program: finds the top-level window of a
// window class, then the child window whose "QvName" property names a component, and
// optionally clicks it. Exit code: 1 no window of that class, 2 no such child, otherwise
// 10 + the child's BM_GETCHECK answer (after the click when asked for).
//   find_form_control <window class> <component name> [click]
#include <windows.h>

#include <cstring>
#include <string>

namespace {

struct Search {
  std::string name;
  HWND found = nullptr;
};

BOOL CALLBACK MatchName(HWND child, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(child, "QvName")));
  char name[256] = {};
  if (atom && GlobalGetAtomNameA(atom, name, sizeof name) && search->name == name) {
    search->found = child;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 100;
  HWND form = FindWindowExA(nullptr, nullptr, argv[1], nullptr);
  if (!form) return 1;
  Search search{argv[2]};
  EnumChildWindows(form, MatchName, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return 2;
  DWORD_PTR answer = 0;
  if (argc > 3 && std::strcmp(argv[3], "click") == 0) {
    SendMessageTimeoutA(search.found, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  }
  answer = 0;
  SendMessageTimeoutA(search.found, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  return 10 + static_cast<int>(answer);
}
