#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace tarnixw::values {

// A value, or the message that says why there is none: exactly one of the two is set.
template <typename T> struct Result {
    std::optional<T> value;
    QString error;

    bool ok() const { return value.has_value(); }
    static Result of(T v) { return {std::move(v), {}}; }
    static Result failure(QString message) { return {std::nullopt, std::move(message)}; }
};

} // namespace tarnixw::values
