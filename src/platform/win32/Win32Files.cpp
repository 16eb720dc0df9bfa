#include "platform/win32/Win32Files.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

#include "platform/win32/Text.h"

namespace virelo::platform::win32 {

// An open file handle, closed when the last owner lets go.
class Win32Files::Handle {
public:
    explicit Handle(HANDLE h) : handle_(h) {}
    ~Handle() {
        if (valid()) {
            ::CloseHandle(handle_);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

namespace {

using Handle = Win32Files::Handle;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

FileStatus Refusal(FileError error, const std::string& path, const std::string& why) {
    return {error, path + ": " + why};
}

// The one place where Windows error numbers become portable file errors.
FileStatus Failure(DWORD error, const std::string& path) {
    FileStatus status{FileError::Other, path + ": " + SystemErrorText(error)};
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
            status.error = FileError::NotFound;
            break;
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DIRECTORY:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
            status.error = FileError::PathNotFound;
            break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            status.error = FileError::Exists;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_WRITE_PROTECT:
            status.error = FileError::AccessDenied;
            break;
        default:
            break;
    }
    return status;
}

FileStatus NotOwnFile(const std::string& path) {
    return Refusal(FileError::NotOwn, path,
                   "is not the log file this run created (another file has taken its name)");
}

std::string IdentityOf(const BY_HANDLE_FILE_INFORMATION& info) {
    const unsigned long long index =
        (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(index);
}

// Why an open handle is not a plain file on a disk, or empty when it is one.
std::string NotPlain(HANDLE h, BY_HANDLE_FILE_INFORMATION& info) {
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info)) {
        return "is not a regular file";
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return "is a link (a reparse point), which is never followed";
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return "is a directory";
    }
    return {};
}

// Reads an open file to its end, at most `limit` bytes.
FileStatus ReadAll(HANDLE h, const std::string& path, std::string& content, std::size_t limit) {
    char buffer[8192];
    for (;;) {
        DWORD n = 0;
        if (!::ReadFile(h, buffer, sizeof buffer, &n, nullptr)) {
            return Failure(::GetLastError(), path);
        }
        if (n == 0) {
            return {};
        }
        content.append(buffer, n);
        if (content.size() > limit) {
            return Refusal(FileError::Other, path,
                           "larger than " + std::to_string(limit) + " bytes");
        }
    }
}

std::string Parent(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The security identifier of the user this program runs as, as text (S-1-5-21-...).
std::wstring CurrentUserSid() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    std::vector<BYTE> buffer(256);
    DWORD needed = 0;
    std::wstring text;
    if (::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()),
                              &needed) ||
        (::GetLastError() == ERROR_INSUFFICIENT_BUFFER &&
         (buffer.resize(needed),
          ::GetTokenInformation(token, TokenUser, buffer.data(), needed, &needed)))) {
        wchar_t* sid = nullptr;
        if (::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid,
                                     &sid)) {
            text = sid;
            ::LocalFree(sid);
        }
    }
    ::CloseHandle(token);
    return text;
}

// The accounts whose control of a file does not make it untrusted: this user, the system and
// the administrators.
bool IsTrustedAccount(PSID sid, PSID user) {
    return (user != nullptr && ::EqualSid(sid, user)) || ::IsWellKnownSid(sid, WinLocalSystemSid) ||
           ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

}  // namespace

Win32Files::Win32Files() {
    // New log files: the user who runs the program may do anything with them, nobody else may
    // open them; nothing is inherited from the directory.
    const std::wstring user = CurrentUserSid();
    if (!user.empty()) {
        const std::wstring sddl = L"D:P(A;;FA;;;" + user + L")";
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                   &descriptor, nullptr)) {
            ownerOnly_ = descriptor;
        }
    }
}

Win32Files::~Win32Files() {
    if (ownerOnly_ != nullptr) {
        ::LocalFree(ownerOnly_);
    }
}

std::optional<std::string> Win32Files::environment(const std::string& name) {
    const std::wstring wideName = Wide(name);
    std::wstring value(256, L'\0');
    for (;;) {
        ::SetLastError(ERROR_SUCCESS);
        const DWORD n = ::GetEnvironmentVariableW(wideName.c_str(), value.data(),
                                                  static_cast<DWORD>(value.size()));
        if (n == 0) {
            if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
                return std::nullopt;
            }
            return std::string();
        }
        if (n < value.size()) {
            value.resize(n);
            return Utf8(value);
        }
        value.resize(n);
    }
}

FileStatus Win32Files::defaultTempDirectory(std::string& dir) {
    // TMP, then the user's profile, then the Windows directory: the system's own choice.
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 2, buffer);
    if (n == 0 || n > MAX_PATH + 1) {
        return Failure(::GetLastError(), "GetTempPath");
    }
    dir = Utf8(std::wstring_view(buffer, n));
    return {};
}

std::shared_ptr<Handle> Win32Files::CreateOwn(const std::string& path, unsigned long access,
                                              FileStatus& status) {
    SECURITY_ATTRIBUTES security{sizeof security, ownerOnly_, FALSE};
    auto h = std::make_shared<Handle>(::CreateFileW(
        Wide(path).c_str(), access, kShareAll, ownerOnly_ != nullptr ? &security : nullptr,
        CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h->valid()) {
        status = Failure(::GetLastError(), path);
        return h;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h->get(), &info)) {
        status = Failure(::GetLastError(), path);
        return std::make_shared<Handle>(INVALID_HANDLE_VALUE);
    }
    Forget(path);
    own_[path] = OwnFile{IdentityOf(info), h};
    order_.push_back(path);
    if (order_.size() > kHeldFiles) {
        Forget(order_.front());
    }
    return h;
}

void Win32Files::Forget(const std::string& path) {
    if (own_.erase(path) > 0) {
        order_.erase(std::find(order_.begin(), order_.end(), path));
    }
}

std::shared_ptr<Handle> Win32Files::OpenOwn(const std::string& path, unsigned long access,
                                            FileStatus& status) {
    auto h = std::make_shared<Handle>(
        ::CreateFileW(Wide(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h->valid()) {
        status = Failure(::GetLastError(), path);
        return h;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const std::string why = NotPlain(h->get(), info);
    const auto it = own_.find(path);
    if (!why.empty()) {
        status = Refusal(FileError::AccessDenied, path, why);
    } else if (it == own_.end() || it->second.identity != IdentityOf(info)) {
        status = NotOwnFile(path);
    } else {
        return h;
    }
    return std::make_shared<Handle>(INVALID_HANDLE_VALUE);
}

FileStatus Win32Files::reserve(const std::string& path) {
    FileStatus status;
    CreateOwn(path, GENERIC_WRITE, status);
    return status;
}

std::string Win32Files::identity(const std::string& path) {
    const auto it = own_.find(path);
    return it == own_.end() ? std::string() : it->second.identity;
}

FileStatus Win32Files::append(const std::string& path, std::string_view text) {
    FileStatus status;
    auto h = CreateOwn(path, FILE_APPEND_DATA, status);
    if (!h->valid() && status.error == FileError::Exists) {
        status = {};
        h = OpenOwn(path, FILE_APPEND_DATA, status);
    }
    if (!h->valid()) {
        return status;
    }
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 20));
        if (!::WriteFile(h->get(), data, chunk, &written, nullptr)) {
            return Failure(::GetLastError(), path);
        }
        data += written;
        left -= written;
    }
    return {};
}

FileStatus Win32Files::read(const std::string& path, std::string& content) {
    content.clear();
    FileStatus status;
    const auto h = OpenOwn(path, GENERIC_READ, status);
    if (!h->valid()) {
        return status;
    }
    return ReadAll(h->get(), path, content, std::string::npos);
}

FileStatus Win32Files::remove(const std::string& path) {
    // The file is checked and marked for deletion through one handle, so that nothing can be
    // put in its place between the check and the deletion. The handle held since the file was
    // created goes first: the file disappears when the last handle closes.
    FileStatus status;
    const auto h = OpenOwn(path, DELETE | FILE_READ_ATTRIBUTES, status);
    if (!h->valid()) {
        return status;
    }
    FILE_DISPOSITION_INFO disposition{TRUE};
    if (!::SetFileInformationByHandle(h->get(), FileDispositionInfo, &disposition,
                                      sizeof disposition)) {
        return Failure(::GetLastError(), path);
    }
    Forget(path);
    return {};
}

FileStatus Win32Files::readNamed(const std::string& path, std::string& content, std::size_t limit) {
    content.clear();
    const Handle h(::CreateFileW(Wide(path).c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid()) {
        return Failure(::GetLastError(), path);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (::GetFileType(h.get()) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h.get(), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return Refusal(FileError::AccessDenied, path, "not a regular file");
    }
    const unsigned long long size =
        (static_cast<unsigned long long>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > limit) {
        return Refusal(FileError::Other, path, "larger than " + std::to_string(limit) + " bytes");
    }
    return ReadAll(h.get(), path, content, limit);
}

std::string Win32Files::programDirectory() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            return {};
        }
        if (n < buffer.size()) {
            buffer.resize(n);
            return Parent(Utf8(buffer));
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool Win32Files::isTrustedFile(const std::string& path) {
    const std::wstring widePath = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
        return false;
    }
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(widePath.c_str(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    PSID user = nullptr;
    const std::wstring userText = CurrentUserSid();
    if (!userText.empty()) {
        ::ConvertStringSidToSidW(userText.c_str(), &user);
    }
    // A file without a discretionary list may be changed by anybody.
    bool trusted = owner != nullptr && dacl != nullptr && IsTrustedAccount(owner, user);
    constexpr DWORD kChanging = FILE_WRITE_DATA | FILE_APPEND_DATA | WRITE_DAC | WRITE_OWNER |
                                DELETE | GENERIC_WRITE | GENERIC_ALL;
    for (DWORD i = 0; trusted && i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(dacl, i, &entry)) {
            trusted = false;
            break;
        }
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE)) {
            continue;
        }
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = const_cast<DWORD*>(&allowed->SidStart);
        trusted = (allowed->Mask & kChanging) == 0 || IsTrustedAccount(sid, user);
    }
    if (user != nullptr) {
        ::LocalFree(user);
    }
    ::LocalFree(descriptor);
    return trusted;
}

}  // namespace virelo::platform::win32
