#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/Registry.h"
#include "platform/posix/registry/RegistryFold.h"

namespace virelo::platform {

// An in-memory registry with the semantics of the Windows registry calls. The registry view of a
// system without a registry fills one from its sources; tests fill one directly.
class RegistryTree : public Registry {
public:
    // Sets a value, creating the key and its parents. A value of the same name (in any letter
    // case) is replaced in place, so the definition order of the others is kept.
    void setValue(HKey root, const std::string& path, const std::string& name, std::uint32_t type,
                  std::string data);
    // A string value, stored with its terminating NUL.
    void setString(HKey root, const std::string& path, const std::string& name,
                   const std::string& text);
    void createKey(HKey root, const std::string& path);
    // Deletes a key with everything below it; a missing key is no error.
    void deleteKey(HKey root, const std::string& path);
    void deleteValue(HKey root, const std::string& path, const std::string& name);
    // Copies a key with everything below it to another path of the same root (not below it),
    // merging with what is there; a missing key copies nothing.
    void copyKey(HKey root, const std::string& from, const std::string& to);
    // True when the key exists (a root always does).
    bool hasKey(HKey root, const std::string& path);
    // Removes every key and value; open handles become invalid.
    void clear();
    // True while a key other than a root is open.
    bool hasOpenKeys() const { return !open_.empty(); }

    std::int32_t openKey(HKey parent, const std::string& path, HKey& key) override;
    std::int32_t closeKey(HKey key) override;
    std::int32_t queryValue(HKey key, const std::string& name, std::uint32_t& type,
                            std::string& data, std::uint32_t& size) override;
    std::int32_t enumValue(HKey key, std::uint32_t index, std::string& name,
                           std::uint32_t& nameSize, std::uint32_t& type, std::string& data,
                           std::uint32_t& dataSize) override;
    std::int32_t enumKey(HKey key, std::uint32_t index, std::string& name,
                         std::uint32_t nameSize) override;

private:
    struct Value {
        std::string name;
        std::string folded;  // the name's upper-case form, compared on every look-up
        std::uint32_t type = 0;
        std::string data;
    };
    struct Node {
        std::string name;  // as first written
        // Keyed by the upper-case name, which gives the registry's enumeration order.
        std::map<std::string, std::unique_ptr<Node>> children;
        // The children in enumeration order, so that walking a key with thousands of subkeys by
        // index costs one step per index; rebuilt on the first enumeration after a change.
        std::vector<const Node*> order;
        bool orderStale = false;
        std::vector<Value> values;
    };

    Node* root(HKey key);
    Node* node(HKey key);
    Node* find(Node* from, const std::string& path);
    Node* make(HKey root, const std::string& path);
    Value* findValue(Node* at, const std::string& name);
    void copyInto(const Node& from, Node& to);
    HKey newHandle();

    std::map<HKey, Node> roots_;
    std::unordered_map<HKey, Node*> open_;
    HKey nextHandle_ = 0x100;
    std::string scratch_;  // the folded name of the part a walk is at
};

}  // namespace virelo::platform
