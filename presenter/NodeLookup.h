// Finding a node of the view's tree by the name a user gives it, opening folders on the way as the user would.
#pragma once

#include <functional>
#include <string>

#include "presenter/HoardscopeMain.h"

namespace hoardscope {

// The node named by a node key ("example.com/img", ASCII case ignored) or, for a file, by its source URL
// ("http://example.com:8080/a.gif", exact) or its entry key ("http://example.com/a.gif", exact; the first such
// file node). While the node is not in the tree, the first unopened host or folder node on its way is handed to
// expand, which must open it (the view's expansion handling builds its children), and the search starts again.
// nullptr when no node has that name.
TTreeNode* FindNodeByName(const THoardscopeMain& view, const std::string& name,
                          const std::function<void(TTreeNode*)>& expand);

}  // namespace hoardscope
