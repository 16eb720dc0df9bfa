#pragma once

#include "platform/Odbc.h"

#include <string>
#include <utility>
#include <vector>

namespace virelo::complus {

// Owns one ODBC handle and frees it when it goes out of scope; a connection handle is
// disconnected first when it holds an open connection.
class OdbcHandle {
public:
    OdbcHandle() = default;
    OdbcHandle(SQLSMALLINT type, SQLHANDLE handle) : type_(type), handle_(handle) {}
    ~OdbcHandle() { reset(); }
    OdbcHandle(OdbcHandle&& other) noexcept
        : type_(other.type_),
          handle_(std::exchange(other.handle_, SQLHANDLE{})),
          connected_(std::exchange(other.connected_, false)) {}
    OdbcHandle& operator=(OdbcHandle&& other) noexcept {
        if (this != &other) {
            reset();
            type_ = other.type_;
            handle_ = std::exchange(other.handle_, SQLHANDLE{});
            connected_ = std::exchange(other.connected_, false);
        }
        return *this;
    }
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE get() const { return handle_; }
    SQLSMALLINT type() const { return type_; }
    explicit operator bool() const { return handle_ != SQL_NULL_HANDLE; }
    // Marks a connection handle as connected, so it is disconnected before it is freed.
    void connected() { connected_ = true; }

    void reset() {
        if (handle_ == SQL_NULL_HANDLE) {
            return;
        }
        if (connected_) {
            SQLDisconnect(handle_);
            connected_ = false;
        }
        SQLFreeHandle(type_, handle_);
        handle_ = SQL_NULL_HANDLE;
    }

private:
    SQLSMALLINT type_ = SQL_HANDLE_ENV;
    SQLHANDLE handle_ = SQL_NULL_HANDLE;
    bool connected_ = false;
};

// Every diagnostic record of a handle, in order, each as one line:
// "[SQLSTATE state] [native error n] message".
std::vector<std::string> DiagnosticRecords(SQLSMALLINT type, SQLHANDLE handle);

}  // namespace virelo::complus
