#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace tarnixw::values {

// No kind of failure told apart: the message says it all.
enum class NoKind { None };

// A value, or the message that says why there is none (and, where the caller acts on it, the
// kind of failure): exactly one of value and message is set.
template <typename T, typename Kind = NoKind> struct Result {
    std::optional<T> value;
    QString error;
    Kind kind{};

    bool ok() const { return value.has_value(); }
    static Result of(T v) { return {std::move(v), {}, {}}; }
    static Result failure(QString message, Kind k = {}) { return {std::nullopt, std::move(message), k}; }
};

} // namespace tarnixw::values
