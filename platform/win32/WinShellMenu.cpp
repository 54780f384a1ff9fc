// The shell's context menu of a cached file or of the save folder.
#include "platform/win32/WinShellMenu.h"

#include <shlwapi.h>

#include <stdexcept>

#include "com/ComSupport.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

std::string ParsingName(IShellFolder& folder, LPCITEMIDLIST child) {
  STRRET name{};
  if (FAILED(folder.GetDisplayNameOf(child, SHGDN_FORPARSING, &name))) return std::string();
  char text[MAX_PATH] = {};
  if (FAILED(StrRetToBufA(&name, child, text, MAX_PATH))) return std::string();
  return text;
}

std::string UpperCase(std::string text) {
  if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
  return text;
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

TComPtr<IShellFolder> BindToFolder(IShellFolder& parent, LPCITEMIDLIST child, const std::string& name) {
  TComPtr<IShellFolder> folder;
  const HRESULT result = parent.BindToObject(child, nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder.Out()));
  if (FAILED(result)) throw std::runtime_error("The folder " + name + " could not be opened (" + HresultText(result) + ").");
  return folder;
}

// The child of folder whose parsing name is name, letter case ignored; an empty list when there is none.
TItemIdList FindChild(IShellFolder& folder, const std::string& name, SHCONTF flags) {
  TComPtr<IEnumIDList> children;
  if (folder.EnumObjects(nullptr, flags, children.Out()) != S_OK || !children) return TItemIdList();
  const std::string wanted = UpperCase(name);
  TItemIdList child;
  while (children->Next(1, child.Out(), nullptr) == S_OK) {
    if (UpperCase(ParsingName(folder, child.Get())) == wanted) return child;
  }
  return TItemIdList();
}

// The shell's canonical name of the verb of a menu entry it added; empty when it has none.
std::string VerbOf(IContextMenu& handler, UINT command) {
  char verb[64] = {};
  if (FAILED(handler.GetCommandString(command - kFirstShellCommand, GCS_VERBA, nullptr, verb, sizeof(verb)))) return {};
  verb[sizeof(verb) - 1] = '\0';
  return verb;
}

// A cached file that is moved or renamed leaves its entry without its file: those verbs are left out of the menu.
void RemoveVerbsThatBreakEntries(IContextMenu& handler, HMENU menu) {
  for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
    const UINT command = GetMenuItemID(menu, position);
    if (command < kFirstShellCommand || command > kLastShellCommand) continue;
    const std::string verb = VerbOf(handler, command);
    if (EqualsNoCase(verb, "cut") || EqualsNoCase(verb, "rename")) DeleteMenu(menu, position, MF_BYPOSITION);
  }
}

}  // namespace

std::optional<TShellItem> FindShellItem(const std::string& path) {
  TComPtr<IShellFolder> desktop;
  if (FAILED(SHGetDesktopFolder(desktop.Out()))) throw std::runtime_error("The shell's desktop folder is missing.");
  TItemIdList drives;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, drives.Out()))) {
    throw std::runtime_error("The shell's My Computer folder is missing.");
  }
  TComPtr<IShellFolder> current = BindToFolder(*desktop.Get(), drives.Get(), "My Computer");
  std::optional<TShellItem> found;
  std::string rest = path;
  std::string accumulated;
  while (!rest.empty()) {
    const std::size_t separator = rest.find('\\');
    if (separator != std::string::npos) {
      accumulated = rest.find(':') != std::string::npos ? rest.substr(0, 3)
                                                         : AddBackslash(accumulated) + rest.substr(0, separator);
      rest.erase(0, separator + 1);
    } else {
      accumulated = accumulated.empty() ? rest : AddBackslash(accumulated) + rest;
      rest.clear();
    }
    SHCONTF flags = SHCONTF_FOLDERS | SHCONTF_INCLUDEHIDDEN;
    if (accumulated == path && !IsFolder(path)) flags |= SHCONTF_NONFOLDERS;
    TItemIdList child = FindChild(*current.Get(), accumulated, flags);
    if (!child) return std::nullopt;
    TComPtr<IShellFolder> next = IsFile(accumulated) ? TComPtr<IShellFolder>() : BindToFolder(*current.Get(), child.Get(), accumulated);
    found = TShellItem{current, std::move(child)};
    if (next) current = next;
  }
  return found;
}

TPopupMenu BuildShellMenu(IContextMenu& handler, const std::vector<TOwnMenuItem>& ownItems) {
  TPopupMenu menu(CreatePopupMenu());
  if (!menu) return menu;
  const HRESULT filled = handler.QueryContextMenu(menu.Get(), 0, kFirstShellCommand, kLastShellCommand, CMF_NORMAL);
  if (FAILED(filled)) throw std::runtime_error("The shell could not fill the menu (" + HresultText(filled) + ").");
  RemoveVerbsThatBreakEntries(handler, menu.Get());
  AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
  for (const TOwnMenuItem& item : ownItems) AppendMenuA(menu.Get(), MF_STRING, item.Command, item.Caption.c_str());
  return menu;
}

TShellMenuChoice TWinShellMenu::TrackContextMenu(const std::string& path, const std::vector<TOwnMenuItem>& ownItems) {
  const std::optional<TShellItem> item = FindShellItem(path);
  if (!item) return {};
  POINT pointer{};
  GetCursorPos(&pointer);
  TComPtr<IContextMenu> handler;
  LPCITEMIDLIST items[] = {item->Item.Get()};
  const HRESULT made = item->Folder->GetUIObjectOf(FOwner, 1, items, IID_IContextMenu, nullptr,
                                                   reinterpret_cast<void**>(handler.Out()));
  if (FAILED(made)) throw std::runtime_error("The menu of " + path + " could not be made (" + HresultText(made) + ").");
  const TPopupMenu menu = BuildShellMenu(*handler.Get(), ownItems);
  if (!menu) return {};
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_VERTICAL,
                                                         pointer.x, pointer.y, FOwner, nullptr));
  if (chosen == 0) return {};
  if (chosen > kLastShellCommand) return {TShellMenuChoice::TKind::OwnItem, chosen};
  CMINVOKECOMMANDINFO command{};
  command.cbSize = sizeof(command);
  command.hwnd = FOwner;
  command.lpVerb = MAKEINTRESOURCEA(chosen - kFirstShellCommand);
  command.nShow = SW_SHOWNORMAL;
  handler->InvokeCommand(&command);  // the shell reports its command's failures itself; the file's state tells
  return {TShellMenuChoice::TKind::ShellCommand, 0};
}

}  // namespace hoardscope
