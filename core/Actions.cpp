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
          {TActionId::alHelp, "alHelp", "&Help", kShortCutF1, 6, true},
          {TActionId::alAbout, "alAbout", "About Hoardscope", kShortCutNone, 7, true},
      }} {}

const std::array<TMenuEntry, 9> kFilesMenu{{
    {"mplvCopyURL", TActionId::aLVCopyURL},
    {"mplvDelete", TActionId::aLVDelete},
    {"N1", std::nullopt},
    {"mOption", TActionId::alOption},
    {"mSearch", TActionId::alSearch},
    {"mClearSearch", TActionId::alClearSearch},
    {"N2", std::nullopt},
    {"Import1", TActionId::alImport},
    {"mplvExport", TActionId::alExport},
}};

const std::array<TMenuEntry, 3> kHelpMenu{{
    {"mHelp", TActionId::alHelp},
    {"N3", std::nullopt},
    {"mAbout", TActionId::alAbout},
}};

}  // namespace hoardscope
