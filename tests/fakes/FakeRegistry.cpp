// The in-memory registry: a tree of nodes per root; open keys hold their node and see its deletion.
#include "tests/fakes/FakeRegistry.h"

#include <algorithm>
#include <array>

#include "core/Tools.h"

namespace hoardscope {

struct TFakeRegistry::TNode {
  std::string Name;
  std::string FullName;                          // root and path, for messages
  std::vector<RegistryValue> Values;             // in the order they were first written
  std::vector<std::shared_ptr<TNode>> Subkeys;   // sorted by CompareKeys
  bool Deleted = false;
};

struct TFakeRegistry::TState {
  std::array<std::shared_ptr<TNode>, 3> Roots;
  bool ReadOnly = false;

  void RefuseChangeIfReadOnly(const std::string& what) const {
    if (ReadOnly) throw RegistryError("the registry is read-only: cannot " + what);
  }
};

namespace {

using TNode = TFakeRegistry::TNode;
using TState = TFakeRegistry::TState;

std::shared_ptr<TNode> FindSubkey(const TNode& node, const std::string& name) {
  const auto found = std::find_if(node.Subkeys.begin(), node.Subkeys.end(),
                                  [&](const auto& subkey) { return EqualsNoCase(subkey->Name, name); });
  return found == node.Subkeys.end() ? nullptr : *found;
}

std::shared_ptr<TNode> AddSubkey(TNode& node, const std::string& name) {
  auto subkey = std::make_shared<TNode>();
  subkey->Name = name;
  subkey->FullName = node.FullName + "\\" + name;
  const auto place = std::find_if(node.Subkeys.begin(), node.Subkeys.end(),
                                  [&](const auto& other) { return CompareKeys(name, other->Name) < 0; });
  node.Subkeys.insert(place, subkey);
  return subkey;
}

// Empties a deleted subtree, so that keys still open on it read nothing and refuse writes.
void MarkDeleted(TNode& node) {
  for (const auto& subkey : node.Subkeys) MarkDeleted(*subkey);
  node.Subkeys.clear();
  node.Values.clear();
  node.Deleted = true;
}

std::vector<RegistryValue>::iterator FindValue(TNode& node, const std::string& name) {
  return std::find_if(node.Values.begin(), node.Values.end(),
                      [&](const RegistryValue& value) { return EqualsNoCase(value.Name, name); });
}

class TFakeKey : public IRegistryKey {
 public:
  TFakeKey(std::shared_ptr<TState> state, std::shared_ptr<TNode> node, bool writable)
      : FState(std::move(state)), FNode(std::move(node)), FWritable(writable) {}

  std::optional<RegistryValue> ReadValue(const std::string& name) override {
    const auto found = FindValue(*FNode, name);
    if (found == FNode->Values.end()) return std::nullopt;
    return *found;
  }

  bool ValueExists(const std::string& name) override { return FindValue(*FNode, name) != FNode->Values.end(); }

  void WriteValue(const RegistryValue& value) override {
    RefuseChange("write the value \"" + value.Name + "\"");
    const auto found = FindValue(*FNode, value.Name);
    if (found == FNode->Values.end()) {
      FNode->Values.push_back(value);
      return;
    }
    found->Type = value.Type;   // the name keeps the letter case it was first written with
    found->Data = value.Data;
  }

  bool DeleteValue(const std::string& name) override {
    const auto found = FindValue(*FNode, name);
    if (found == FNode->Values.end()) return false;
    RefuseChange("delete the value \"" + name + "\"");
    FNode->Values.erase(found);
    return true;
  }

  std::vector<RegistryValue> EnumValues() override { return FNode->Values; }

  std::vector<std::string> EnumSubkeys() override {
    std::vector<std::string> names;
    for (const auto& subkey : FNode->Subkeys) names.push_back(subkey->Name);
    return names;
  }

 private:
  void RefuseChange(const std::string& what) const {
    if (!FWritable) throw RegistryError(FNode->FullName + " was opened read-only: cannot " + what);
    if (FNode->Deleted) throw RegistryError(FNode->FullName + " was deleted: cannot " + what);
    FState->RefuseChangeIfReadOnly(what + " in " + FNode->FullName);
  }

  std::shared_ptr<TState> FState;
  std::shared_ptr<TNode> FNode;
  bool FWritable;
};

}  // namespace

TFakeRegistry::TFakeRegistry() : FState(std::make_shared<TState>()) {
  for (RegistryRoot root : {RegistryRoot::ClassesRoot, RegistryRoot::CurrentUser, RegistryRoot::LocalMachine}) {
    auto node = std::make_shared<TNode>();
    node->Name = node->FullName = RegistryRootName(root);
    FState->Roots[static_cast<std::size_t>(root)] = node;
  }
}

void TFakeRegistry::SetReadOnly(bool readOnly) { FState->ReadOnly = readOnly; }

std::shared_ptr<TNode> TFakeRegistry::Find(RegistryRoot root, const std::vector<std::string>& parts) const {
  std::shared_ptr<TNode> node = FState->Roots[static_cast<std::size_t>(root)];
  for (const std::string& part : parts) {
    node = FindSubkey(*node, part);
    if (!node) return nullptr;
  }
  return node;
}

std::unique_ptr<IRegistryKey> TFakeRegistry::OpenKey(RegistryRoot root, const std::string& path, bool writable) {
  auto node = Find(root, SplitKeyPath(path));
  if (!node) return nullptr;
  return std::make_unique<TFakeKey>(FState, std::move(node), writable);
}

std::unique_ptr<IRegistryKey> TFakeRegistry::CreateKey(RegistryRoot root, const std::string& path) {
  const std::vector<std::string> parts = SplitKeyPath(path);
  if (!Find(root, parts)) FState->RefuseChangeIfReadOnly("create " + RegistryRootName(root) + "\\" + path);
  std::shared_ptr<TNode> node = FState->Roots[static_cast<std::size_t>(root)];
  for (const std::string& part : parts) {
    auto subkey = FindSubkey(*node, part);
    node = subkey ? subkey : AddSubkey(*node, part);
  }
  return std::make_unique<TFakeKey>(FState, std::move(node), true);
}

bool TFakeRegistry::KeyExists(RegistryRoot root, const std::string& path) {
  return Find(root, SplitKeyPath(path)) != nullptr;
}

bool TFakeRegistry::DeleteKey(RegistryRoot root, const std::string& path) {
  std::vector<std::string> parts = SplitKeyPath(path);
  if (parts.empty()) throw RegistryError("the root key " + RegistryRootName(root) + " cannot be deleted");
  const std::string name = parts.back();
  parts.pop_back();
  const auto parent = Find(root, parts);
  const auto node = parent ? FindSubkey(*parent, name) : nullptr;
  if (!node) return false;
  FState->RefuseChangeIfReadOnly("delete " + node->FullName);
  MarkDeleted(*node);
  std::erase(parent->Subkeys, node);
  return true;
}

}  // namespace hoardscope
