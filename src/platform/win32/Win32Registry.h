#pragma once

#include <map>

#include "platform/Registry.h"

struct HKEY__;

namespace virelo::platform::win32 {

// The real registry through advapi32's wide-character calls (RegOpenKeyExW, RegQueryValueExW,
// RegEnumValueW, RegEnumKeyExW, RegCloseKey), read only. Names and string data cross as UTF-16
// and are handed on in UTF-8; string data keep their terminating NUL, and their sizes count
// UTF-8 bytes, so the callers' buffer rules mean the same on every system. Opened keys get 32-bit
// numbers of this object's own: a Windows key handle is pointer-sized.
class Win32Registry : public Registry {
public:
    Win32Registry() = default;
    ~Win32Registry() override;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;

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
    // The Windows handle behind a number, or null when the number is not an open key.
    HKEY__* handle(HKey key) const;

    std::map<HKey, HKEY__*> open_;
    HKey next_ = 1;
};

}  // namespace virelo::platform::win32
