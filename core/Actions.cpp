// The action table and the menus of the view.
#include "core/Actions.h"

namespace hoardscope {

TActionList::TActionList()
    : FActions{{
          {TActionId::aLVCopyURL, "aLVCopyURL", "CopyURL", kShortCutNone, 8, false},
          {TActionId::aLVDelete, "aLVDelete", "Del&ete", kShortCutDel, 9, true},
          {TActionId::alOption, "alOption", "&Option", kShortCutCtrlO, 3, true},
          {TActionId::alSearch, "alSearch", "&Search", kShortCutCtrlS, 0, true},
          {TActionId::alClearSearch, "alClearSearch", "Cl&ear Search", kShortCutNone, 4, false},
          {TActionId::alImport, "alImport", "&Import", kShortCutCtrlI, 2, true},
          {TActionId::alExport, "alExport", "Export", kShortCutNone, 1, true},
          {TActionId::alSaveReport, "alSaveReport", "Save Report…", kShortCutNone, 1, true},
          {TActionId::alHelp, "alHelp", "&Help", kShortCutF1, 6, true},
          {TActionId::alAbout, "alAbout", "About Hoardscope", kShortCutNone, 7, true},
      }} {}

std::optional<TActionId> TActionList::ActionForShortCut(int shortCut) const {
  if (shortCut == kShortCutNone) return std::nullopt;
  for (const TAction& action : FActions) {
    if (action.ShortCut == shortCut) return action.Id;
  }
  return std::nullopt;
}

int ShortCutOf(int keyCode, bool shift, bool ctrl, bool alt) {
  return keyCode | (shift ? kShortCutShift : 0) | (ctrl ? kShortCutCtrl : 0) | (alt ? kShortCutAlt : 0);
}

namespace {

constexpr int kKeyCodeMask = 0xFF;
constexpr int kKeyDelete = 46;
constexpr int kKeyF1 = 112;
constexpr int kKeyF24 = 135;

std::string KeyName(int code) {
  if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z')) return std::string(1, static_cast<char>(code));
  if (code == kKeyDelete) return "Del";
  if (code >= kKeyF1 && code <= kKeyF24) {
    std::string name = "F";
    name += std::to_string(code - kKeyF1 + 1);
    return name;
  }
  return std::string();
}

}  // namespace

std::string ShortCutText(int shortCut) {
  const std::string key = KeyName(shortCut & kKeyCodeMask);
  if (key.empty()) return key;
  std::string text;
  if (shortCut & kShortCutShift) text += "Shift+";
  if (shortCut & kShortCutCtrl) text += "Ctrl+";
  if (shortCut & kShortCutAlt) text += "Alt+";
  return text + key;
}

const std::array<TMenuEntry, 10> kFilesMenu{{
    {"mplvCopyURL", TActionId::aLVCopyURL},
    {"mplvDelete", TActionId::aLVDelete},
    {"N1", std::nullopt},
    {"mOption", TActionId::alOption},
    {"mSearch", TActionId::alSearch},
    {"mClearSearch", TActionId::alClearSearch},
    {"N2", std::nullopt},
    {"Import1", TActionId::alImport},
    {"mplvExport", TActionId::alExport},
    {"mSaveReport", TActionId::alSaveReport},
}};

const std::array<TMenuEntry, 3> kHelpMenu{{
    {"mHelp", TActionId::alHelp},
    {"N3", std::nullopt},
    {"mAbout", TActionId::alAbout},
}};

}  // namespace hoardscope
