#include "platform/posix/registry/RegistryTree.h"

#include <algorithm>

namespace virelo::platform {
namespace {

// Calls `step` with each backslash-separated part of `path`, in order, until it returns false.
template <typename Step>
bool ForEachPart(std::string_view path, Step step) {
    for (std::size_t start = 0; start <= path.size();) {
        const std::size_t end = std::min(path.find('\\', start), path.size());
        if (!step(path.substr(start, end - start))) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

}  // namespace

RegistryTree::Node* RegistryTree::root(HKey key) {
    if (key != reg::kLocalMachine && key != reg::kCurrentUser) {
        return nullptr;
    }
    return &roots_[key];
}

RegistryTree::Node* RegistryTree::node(HKey key) {
    if (Node* r = root(key)) {
        return r;
    }
    const auto it = open_.find(key);
    return it == open_.end() ? nullptr : it->second;
}

// Both walks fold each part into one reused buffer: opening a key is the registry's most frequent
// call, and a walk that allocates costs more than the look-ups themselves.
RegistryTree::Node* RegistryTree::find(Node* from, const std::string& path) {
    if (path.empty()) {
        return from;
    }
    const bool found = ForEachPart(path, [&](std::string_view part) {
        if (part.empty()) {
            return false;
        }
        RegistryFoldInto(part, scratch_);
        const auto it = from->children.find(scratch_);
        if (it == from->children.end()) {
            return false;
        }
        from = it->second.get();
        return true;
    });
    return found ? from : nullptr;
}

RegistryTree::Node* RegistryTree::make(HKey rootKey, const std::string& path) {
    Node* at = root(rootKey);
    if (at == nullptr) {
        return nullptr;
    }
    ForEachPart(path, [&](std::string_view part) {
        if (part.empty()) {
            return true;
        }
        RegistryFoldInto(part, scratch_);
        auto found = at->children.find(scratch_);
        if (found == at->children.end()) {
            auto child = std::make_unique<Node>();
            child->name = part;
            found = at->children.emplace(scratch_, std::move(child)).first;
            at->orderStale = true;
        }
        at = found->second.get();
        return true;
    });
    return at;
}

RegistryTree::Value* RegistryTree::findValue(Node* at, const std::string& name) {
    RegistryFoldInto(name, scratch_);
    for (Value& value : at->values) {
        if (value.folded == scratch_) {
            return &value;
        }
    }
    return nullptr;
}

HKey RegistryTree::newHandle() {
    // Handles count up below the root keys' values and start again at the bottom, skipping
    // handles still open, so a long session never hands out a root's value or a handle twice.
    constexpr HKey kFirst = 0x100;
    constexpr HKey kLast = 0x7FFFFFFF;
    do {
        nextHandle_ = nextHandle_ >= kLast ? kFirst : nextHandle_ + 1;
    } while (open_.contains(nextHandle_));
    return nextHandle_;
}

void RegistryTree::setValue(HKey rootKey, const std::string& path, const std::string& name,
                            std::uint32_t type, std::string data) {
    Node* at = make(rootKey, path);
    if (at == nullptr) {
        return;
    }
    if (Value* value = findValue(at, name)) {
        value->type = type;
        value->data = std::move(data);
        return;
    }
    at->values.push_back({name, RegistryFold(name), type, std::move(data)});
}

void RegistryTree::setString(HKey rootKey, const std::string& path, const std::string& name,
                             const std::string& text) {
    setValue(rootKey, path, name, reg::kSz, text + '\0');
}

void RegistryTree::createKey(HKey rootKey, const std::string& path) {
    make(rootKey, path);
}

void RegistryTree::deleteKey(HKey rootKey, const std::string& path) {
    Node* parent = root(rootKey);
    const std::size_t slash = path.rfind('\\');
    if (parent != nullptr && slash != std::string::npos) {
        parent = find(parent, path.substr(0, slash));
    }
    const std::string leaf = slash == std::string::npos ? path : path.substr(slash + 1);
    if (parent == nullptr || leaf.empty()) {
        return;
    }
    const auto it = parent->children.find(RegistryFold(leaf));
    if (it == parent->children.end()) {
        return;
    }
    // Handles that point into the deleted branch become invalid.
    std::vector<const Node*> branch{it->second.get()};
    for (std::size_t i = 0; i < branch.size(); ++i) {
        for (const auto& child : branch[i]->children) {
            branch.push_back(child.second.get());
        }
    }
    std::erase_if(open_, [&](const auto& entry) {
        return std::find(branch.begin(), branch.end(), entry.second) != branch.end();
    });
    parent->children.erase(it);
    parent->orderStale = true;
}

bool RegistryTree::hasKey(HKey rootKey, const std::string& path) {
    Node* at = root(rootKey);
    return at != nullptr && find(at, path) != nullptr;
}

void RegistryTree::copyKey(HKey rootKey, const std::string& from, const std::string& to) {
    Node* at = root(rootKey);
    const Node* source = at == nullptr ? nullptr : find(at, from);
    if (source != nullptr) {
        copyInto(*source, *make(rootKey, to));
    }
}

void RegistryTree::copyInto(const Node& from, Node& to) {
    for (const Value& value : from.values) {
        if (Value* same = findValue(&to, value.name)) {
            *same = value;
        } else {
            to.values.push_back(value);
        }
    }
    for (const auto& [folded, child] : from.children) {
        std::unique_ptr<Node>& copy = to.children[folded];
        if (!copy) {
            copy = std::make_unique<Node>();
            copy->name = child->name;
            to.orderStale = true;
        }
        copyInto(*child, *copy);
    }
}

void RegistryTree::deleteValue(HKey rootKey, const std::string& path, const std::string& name) {
    Node* at = root(rootKey);
    at = at == nullptr ? nullptr : find(at, path);
    if (at == nullptr) {
        return;
    }
    const std::string folded = RegistryFold(name);
    std::erase_if(at->values, [&](const Value& v) { return v.folded == folded; });
}

void RegistryTree::clear() {
    roots_.clear();
    open_.clear();
}

std::int32_t RegistryTree::openKey(HKey parent, const std::string& path, HKey& key) {
    Node* from = node(parent);
    if (from == nullptr) {
        return reg::kInvalidHandle;
    }
    Node* target = find(from, path);
    if (target == nullptr) {
        return reg::kFileNotFound;
    }
    if (path.empty() && root(parent) != nullptr) {
        key = parent;
        return reg::kSuccess;
    }
    key = newHandle();
    open_[key] = target;
    return reg::kSuccess;
}

std::int32_t RegistryTree::closeKey(HKey key) {
    if (root(key) != nullptr) {
        return reg::kSuccess;
    }
    return open_.erase(key) == 1 ? reg::kSuccess : reg::kInvalidHandle;
}

std::int32_t RegistryTree::queryValue(HKey key, const std::string& name, std::uint32_t& type,
                                      std::string& data, std::uint32_t& size) {
    Node* at = node(key);
    if (at == nullptr) {
        return reg::kInvalidHandle;
    }
    const Value* value = findValue(at, name);
    if (value == nullptr) {
        return reg::kFileNotFound;
    }
    type = value->type;
    if (value->data.size() > size) {
        size = static_cast<std::uint32_t>(value->data.size());
        return reg::kMoreData;
    }
    data = value->data;
    size = static_cast<std::uint32_t>(data.size());
    return reg::kSuccess;
}

std::int32_t RegistryTree::enumValue(HKey key, std::uint32_t index, std::string& name,
                                     std::uint32_t& nameSize, std::uint32_t& type,
                                     std::string& data, std::uint32_t& dataSize) {
    Node* at = node(key);
    if (at == nullptr) {
        return reg::kInvalidHandle;
    }
    if (index >= at->values.size()) {
        return reg::kNoMoreItems;
    }
    const Value& value = at->values[index];
    if (value.name.size() + 1 > nameSize || value.data.size() > dataSize) {
        dataSize = static_cast<std::uint32_t>(value.data.size());
        return reg::kMoreData;
    }
    name = value.name;
    nameSize = static_cast<std::uint32_t>(name.size());
    type = value.type;
    data = value.data;
    dataSize = static_cast<std::uint32_t>(data.size());
    return reg::kSuccess;
}

std::int32_t RegistryTree::enumKey(HKey key, std::uint32_t index, std::string& name,
                                   std::uint32_t nameSize) {
    Node* at = node(key);
    if (at == nullptr) {
        return reg::kInvalidHandle;
    }
    if (index >= at->children.size()) {
        return reg::kNoMoreItems;
    }
    if (at->orderStale || at->order.size() != at->children.size()) {
        at->order.clear();
        for (const auto& entry : at->children) {
            at->order.push_back(entry.second.get());
        }
        at->orderStale = false;
    }
    const Node& child = *at->order[index];
    if (child.name.size() + 1 > nameSize) {
        return reg::kMoreData;
    }
    name = child.name;
    return reg::kSuccess;
}

}  // namespace virelo::platform
