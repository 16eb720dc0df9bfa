#include "platform/win32/Win32Registry.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/win32/Text.h"

namespace virelo::platform::win32 {
namespace {

// The longest key and value names the registry allows, in UTF-16 units, with the NUL.
constexpr DWORD kKeyNameUnits = 256;
constexpr DWORD kValueNameUnits = 16384;

bool IsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// String data as the program keeps them: UTF-8, with whatever NULs the stored UTF-16 carried
// (its terminator, the separators of a multi-string). Other data stay as they are.
std::string Decode(DWORD type, const std::vector<BYTE>& bytes, DWORD size) {
    if (!IsText(type)) {
        return std::string(reinterpret_cast<const char*>(bytes.data()), size);
    }
    std::wstring units(size / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * sizeof(wchar_t));
    return Utf8(units);
}

// Reads a value with a buffer grown until the data fit (they may change between two calls).
template <typename Call>
LSTATUS ReadGrowing(std::vector<BYTE>& buffer, DWORD& size, Call call) {
    buffer.resize(2048);
    for (;;) {
        size = static_cast<DWORD>(buffer.size());
        const LSTATUS rc = call(buffer.data(), &size);
        if (rc != ERROR_MORE_DATA) {
            return rc;
        }
        buffer.resize(std::max<std::size_t>(buffer.size() * 2, size));
    }
}

// Hands the data to the caller when they fit its buffer; otherwise tells the size needed.
std::int32_t Deliver(DWORD type, const std::vector<BYTE>& buffer, DWORD stored,
                     std::uint32_t& valueType, std::string& data, std::uint32_t& size) {
    std::string decoded = Decode(type, buffer, stored);
    valueType = type;
    if (decoded.size() > size) {
        size = static_cast<std::uint32_t>(decoded.size());
        return reg::kMoreData;
    }
    size = static_cast<std::uint32_t>(decoded.size());
    data = std::move(decoded);
    return reg::kSuccess;
}

HKEY Root(HKey key) {
    switch (key) {
        case reg::kLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case reg::kCurrentUser:
            return HKEY_CURRENT_USER;
        default:
            return nullptr;
    }
}

}  // namespace

Win32Registry::~Win32Registry() {
    for (const auto& [number, key] : open_) {
        ::RegCloseKey(key);
    }
}

HKEY Win32Registry::handle(HKey key) const {
    if (HKEY root = Root(key)) {
        return root;
    }
    const auto it = open_.find(key);
    return it == open_.end() ? nullptr : it->second;
}

std::int32_t Win32Registry::openKey(HKey parent, const std::string& path, HKey& key) {
    HKEY from = handle(parent);
    if (from == nullptr) {
        return reg::kInvalidHandle;
    }
    HKEY opened = nullptr;
    const LSTATUS rc = ::RegOpenKeyExW(from, Wide(path).c_str(), 0, KEY_READ, &opened);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    // Numbers are not reused while the object lives, and never reach the root keys' values.
    key = next_++;
    open_[key] = opened;
    return reg::kSuccess;
}

std::int32_t Win32Registry::closeKey(HKey key) {
    if (Root(key) != nullptr) {
        return reg::kSuccess;
    }
    const auto it = open_.find(key);
    if (it == open_.end()) {
        return reg::kInvalidHandle;
    }
    const LSTATUS rc = ::RegCloseKey(it->second);
    open_.erase(it);
    return rc;
}

std::int32_t Win32Registry::queryValue(HKey key, const std::string& name, std::uint32_t& type,
                                       std::string& data, std::uint32_t& size) {
    HKEY at = handle(key);
    if (at == nullptr) {
        return reg::kInvalidHandle;
    }
    const std::wstring wideName = Wide(name);
    std::vector<BYTE> buffer;
    DWORD stored = 0;
    DWORD valueType = REG_NONE;
    const LSTATUS rc = ReadGrowing(buffer, stored, [&](BYTE* into, DWORD* length) {
        return ::RegQueryValueExW(at, wideName.c_str(), nullptr, &valueType, into, length);
    });
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    return Deliver(valueType, buffer, stored, type, data, size);
}

std::int32_t Win32Registry::enumValue(HKey key, std::uint32_t index, std::string& name,
                                      std::uint32_t& nameSize, std::uint32_t& type,
                                      std::string& data, std::uint32_t& dataSize) {
    HKEY at = handle(key);
    if (at == nullptr) {
        return reg::kInvalidHandle;
    }
    std::wstring wideName(kValueNameUnits, L'\0');
    DWORD nameUnits = 0;
    std::vector<BYTE> buffer;
    DWORD stored = 0;
    DWORD valueType = REG_NONE;
    const LSTATUS rc = ReadGrowing(buffer, stored, [&](BYTE* into, DWORD* length) {
        nameUnits = kValueNameUnits;
        return ::RegEnumValueW(at, index, wideName.data(), &nameUnits, nullptr, &valueType, into,
                               length);
    });
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    const std::string valueName = Utf8(std::wstring_view(wideName.data(), nameUnits));
    if (valueName.size() + 1 > nameSize) {
        dataSize = stored;
        return reg::kMoreData;
    }
    const std::int32_t delivered = Deliver(valueType, buffer, stored, type, data, dataSize);
    if (delivered == reg::kSuccess) {
        name = valueName;
        nameSize = static_cast<std::uint32_t>(name.size());
    }
    return delivered;
}

std::int32_t Win32Registry::enumKey(HKey key, std::uint32_t index, std::string& name,
                                    std::uint32_t nameSize) {
    HKEY at = handle(key);
    if (at == nullptr) {
        return reg::kInvalidHandle;
    }
    wchar_t buffer[kKeyNameUnits] = {};
    DWORD units = kKeyNameUnits;
    const LSTATUS rc =
        ::RegEnumKeyExW(at, index, buffer, &units, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) {
        return rc;
    }
    const std::string keyName = Utf8(std::wstring_view(buffer, units));
    if (keyName.size() + 1 > nameSize) {
        return reg::kMoreData;
    }
    name = keyName;
    return reg::kSuccess;
}

}  // namespace virelo::platform::win32
